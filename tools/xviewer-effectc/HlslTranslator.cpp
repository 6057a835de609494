#include "HlslTranslator.h"

#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "HlslFrontEnd.h"
#include "d3d9/AttributeLocations.h"

namespace effectc {

using namespace compat::d3dx9;

namespace {

struct Replacement {
  std::size_t offset = 0;
  std::size_t length = 0;
  const char* text = "";
};

bool IsPosition(const std::string& semantic) { return semantic == "POSITION" || semantic == "POSITION0"; }

// glslang takes a POSITION output for an ordinary varying, and DX9 pixel
// inputs VPOS and VFACE for user semantics: the HLSL it compiles names them
// as the system values they are.
std::string RewriteSemantics(const EffectSource& source, const ShaderRequest& request) {
  std::vector<Replacement> replacements;
  const FunctionDecl* function = FindFunction(source, request.entry);
  auto rewriteStruct = [&](const std::string& type, auto predicate, const char* to) {
    if (const StructDecl* s = FindStruct(source, type))
      for (const SemanticRef& member : s->memberSemantics)
        if (predicate(member.name)) replacements.push_back({member.offset, member.length, to});
  };
  if (request.stage == ShaderStage::Vertex) {
    if (IsPosition(function->returnSemantic.name))
      replacements.push_back({function->returnSemantic.offset, function->returnSemantic.length, "SV_Position"});
    rewriteStruct(function->returnType, IsPosition, "SV_Position");
    for (const FunctionParameterDecl& p : function->parameters) {
      if (!p.out) continue;
      if (IsPosition(p.semantic.name))
        replacements.push_back({p.semantic.offset, p.semantic.length, "SV_Position"});
      rewriteStruct(p.type, IsPosition, "SV_Position");
    }
  } else {
    auto isVpos = [](const std::string& s) { return s == "VPOS"; };
    auto isVface = [](const std::string& s) { return s == "VFACE"; };
    for (const FunctionParameterDecl& p : function->parameters) {
      if (p.out) continue;
      if (isVpos(p.semantic.name)) replacements.push_back({p.semantic.offset, p.semantic.length, "SV_Position"});
      if (isVface(p.semantic.name))
        replacements.push_back({p.semantic.offset, p.semantic.length, "SV_IsFrontFace"});
      rewriteStruct(p.type, isVpos, "SV_Position");
      rewriteStruct(p.type, isVface, "SV_IsFrontFace");
    }
  }
  std::sort(replacements.begin(), replacements.end(),
            [](const Replacement& a, const Replacement& b) { return a.offset > b.offset; });
  std::string text = source.hlsl;
  std::size_t last = std::string::npos;
  for (const Replacement& r : replacements) {
    if (r.offset == last) continue;  // a struct both returned and written
    text.replace(r.offset, r.length, r.text);
    last = r.offset;
  }
  return text;
}

std::string Place(const SourcePlace& place) { return place.file + "(" + std::to_string(place.line) + ")"; }

struct CrossContext {
  spvc_context context = nullptr;
  std::string errors;
  CrossContext() {
    spvc_context_create(&context);
    spvc_context_set_error_callback(
        context, [](void* user, const char* message) { static_cast<CrossContext*>(user)->errors += message; },
        this);
  }
  ~CrossContext() { spvc_context_destroy(context); }
  CrossContext(const CrossContext&) = delete;
  CrossContext& operator=(const CrossContext&) = delete;
};

const ParameterDecl* FindParameter(const EffectSource& source, const std::string& name) {
  for (const ParameterDecl& p : source.parameters)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace

std::string SemanticKey(const std::string& semantic) {
  std::string key;
  for (char c : semantic) key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (key.empty() || !std::isdigit(static_cast<unsigned char>(key.back()))) key += '0';
  return key;
}

namespace {

// SPIRV-Cross's part: the module of `function` to GLSL, with the interface
// named by semantics and Shader Model 3's limits checked.
bool TranslateSpirv(const EffectSource& source, const EffectSource& limits, const FunctionDecl* function,
                    const ShaderRequest& request, const std::vector<std::uint32_t>& spirv, std::string& glsl,
                    std::string& error) {
  const bool vertex = request.stage == ShaderStage::Vertex;
  CrossContext cross;
  spvc_parsed_ir ir = nullptr;
  spvc_compiler compiler = nullptr;
  spvc_resources resources = nullptr;
  if (spvc_context_parse_spirv(cross.context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
      spvc_context_create_compiler(cross.context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                   &compiler) != SPVC_SUCCESS ||
      spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS) {
    error += Place(function->place) + ": SPIRV-Cross cannot read the shader: " + cross.errors + "\n";
    return false;
  }
  const std::string where = Place(function->place) + ": '" + request.entry + "': ";
  auto list = [&](spvc_resource_type type) {
    const spvc_reflected_resource* items = nullptr;
    std::size_t count = 0;
    spvc_resources_get_resource_list_for_type(resources, type, &items, &count);
    return std::vector<spvc_reflected_resource>(items, items + count);
  };
  auto semanticOf = [&](spvc_variable_id id) {
    const char* semantic = spvc_compiler_get_decoration_string(compiler, id, SpvDecorationHlslSemanticGOOGLE);
    return SemanticKey(semantic ? semantic : "");
  };
  bool ok = true;

  // Inputs and outputs take the names of their semantics.
  for (const spvc_reflected_resource& input : list(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
    std::string semantic = semanticOf(input.id);
    if (vertex) {
      int location = compat::d3d9::SemanticAttributeLocation(semantic);
      if (location < 0) {
        error += where + "the vertex input semantic '" + semantic +
                 "' is not one the layer feeds (POSITION, BLENDWEIGHT, BLENDINDICES, NORMAL, COLOR0-1, "
                 "TANGENT, TEXCOORD0-7)\n";
        ok = false;
        continue;
      }
      spvc_compiler_set_name(compiler, input.id, ("cfx_in_" + semantic).c_str());
      spvc_compiler_set_decoration(compiler, input.id, SpvDecorationLocation, static_cast<unsigned>(location));
    } else {
      spvc_compiler_set_name(compiler, input.id, ("cfx_" + semantic).c_str());
      spvc_compiler_unset_decoration(compiler, input.id, SpvDecorationLocation);
    }
  }
  std::vector<spvc_reflected_resource> outputs = list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT);
  for (const spvc_reflected_resource& output : outputs) {
    std::string semantic = semanticOf(output.id);
    if (vertex) {
      spvc_compiler_set_name(compiler, output.id, ("cfx_" + semantic).c_str());
      spvc_compiler_unset_decoration(compiler, output.id, SpvDecorationLocation);
    } else if (semantic.rfind("COLOR", 0) == 0 && semantic.size() == 6 && semantic[5] <= '3') {
      spvc_compiler_set_name(compiler, output.id, ("cfx_out_" + semantic).c_str());
      spvc_compiler_set_decoration(compiler, output.id, SpvDecorationLocation,
                                   static_cast<unsigned>(semantic[5] - '0'));
    } else {
      error += where + "the pixel output semantic '" + semantic + "' is not supported (COLOR0-3 are)\n";
      ok = false;
    }
  }
  std::size_t interpolators = vertex ? outputs.size() : list(SPVC_RESOURCE_TYPE_STAGE_INPUT).size();
  if (interpolators > kInterpolators) {
    error += where + "uses " + std::to_string(interpolators) + " interpolated values; Shader Model 3 has " +
             std::to_string(kInterpolators) + "\n";
    ok = false;
  }

  // Constants: the block of globals gets one name in both stages; the
  // registers of the members the shader reads count toward the limit.
  unsigned registers = 0;
  for (const spvc_reflected_resource& block : list(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
    spvc_compiler_set_name(compiler, block.base_type_id, "cfx_globals");
    spvc_compiler_set_name(compiler, block.id, "cfx_g");
    spvc_compiler_unset_decoration(compiler, block.id, SpvDecorationBinding);
    spvc_compiler_unset_decoration(compiler, block.id, SpvDecorationDescriptorSet);
    const spvc_buffer_range* ranges = nullptr;
    std::size_t count = 0;
    spvc_compiler_get_active_buffer_ranges(compiler, block.id, &ranges, &count);
    for (std::size_t i = 0; i < count; ++i) {
      const char* member = spvc_compiler_get_member_name(compiler, block.base_type_id, ranges[i].index);
      const ParameterDecl* parameter = member ? FindParameter(limits, member) : nullptr;
      if (!parameter) parameter = member ? FindParameter(source, member) : nullptr;
      if (parameter) registers += ParameterRegisters(*parameter) * std::max<std::uint32_t>(1, parameter->elements);
    }
  }
  unsigned registerLimit = vertex ? kVertexConstantRegisters : kPixelConstantRegisters;
  if (registers > registerLimit) {
    error += where + "uses " + std::to_string(registers) + " constant registers; a " +
             (vertex ? "vertex" : "pixel") + " shader of Shader Model 3 has " + std::to_string(registerLimit) + "\n";
    ok = false;
  }
  std::vector<spvc_reflected_resource> samplers = list(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE);
  unsigned samplerLimit = vertex ? kVertexSamplers : kPixelSamplers;
  if (samplers.size() > samplerLimit) {
    error += where + "uses " + std::to_string(samplers.size()) + " samplers; Shader Model 3 allows " +
             std::to_string(samplerLimit) + "\n";
    ok = false;
  }
  for (const spvc_reflected_resource& sampler : samplers) {
    spvc_compiler_unset_decoration(compiler, sampler.id, SpvDecorationBinding);
    spvc_compiler_unset_decoration(compiler, sampler.id, SpvDecorationDescriptorSet);
  }
  if (!ok) return false;

  spvc_compiler_options options = nullptr;
  spvc_compiler_create_compiler_options(compiler, &options);
  spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
  // The back buffer keeps its top row first, so clip-space y is negated.
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, vertex ? SPVC_TRUE : SPVC_FALSE);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION,
                                 vertex && request.mapDepth ? SPVC_TRUE : SPVC_FALSE);
  spvc_compiler_install_compiler_options(compiler, options);
  const char* text = nullptr;
  if (spvc_compiler_compile(compiler, &text) != SPVC_SUCCESS || !text) {
    error += where + "SPIRV-Cross cannot write GLSL: " + cross.errors + "\n";
    return false;
  }
  glsl = text;
  return true;
}

}  // namespace

bool TranslateShaders(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                      const std::vector<ShaderRequest>& requests, std::vector<std::string>& glsl, std::string& error) {
  glsl.assign(requests.size(), std::string());
  std::vector<const FunctionDecl*> declared(requests.size(), nullptr);
  std::vector<HlslFunction> functions;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    declared[i] = FindFunction(source, requests[i].entry);
    if (declared[i]) functions.push_back({RewriteSemantics(source, requests[i]), requests[i].stage, requests[i].entry});
  }
  const std::vector<SpirvModule> modules =
      functions.empty() ? std::vector<SpirvModule>() : CompileHlslToSpirv(functions, fileName);
  bool ok = true;
  auto module = modules.begin();
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const ShaderRequest& request = requests[i];
    if (!declared[i]) {
      error += Place(request.place) + ": unknown shader function '" + request.entry + "'\n";
      ok = false;
      continue;
    }
    error += module->messages;
    if (!module->compiled || !TranslateSpirv(source, limits, declared[i], request, module->words, glsl[i], error))
      ok = false;
    ++module;
  }
  return ok;
}

bool TranslateShader(const EffectSource& source, const EffectSource& limits, const std::string& fileName,
                     const ShaderRequest& request, std::string& glsl, std::string& error) {
  std::vector<std::string> texts;
  const bool ok = TranslateShaders(source, limits, fileName, {request}, texts, error);
  glsl = std::move(texts.front());
  return ok;
}

}  // namespace effectc
