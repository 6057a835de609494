// The layer and the effect translator program: an effect without a record
// is handed to the program, and whatever becomes of the program (it crashes
// on HLSL that glslang fails on, it hangs, it is missing, it answers
// nonsense) is one line naming the effect, after which the layer goes on.
// No GL needed: this is the compile step before any program is linked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "compat/testing_draw.h"
#include "d3dx9/EffectCompiler.h"
#include "d3dx9/TranslatorProcess.h"

namespace {

namespace fs = std::filesystem;

const char* kShaders =
    "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1.0); }\n"
    "float4 PS() : COLOR0 { return 1.0; }\n";
const char* kTechnique =
    "technique T0 { pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
// glslang crashes on an undeclared name in a choice that is returned.
const char* kCrashesGlslang =
    "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
    "float4 PS() : COLOR0 {\n bool red = true;\n return red ? float4(1, 0, 0, 1) : undeclared; }\n";

class TranslatorProcess : public ::testing::Test {
 protected:
  TranslatorProcess() {
    fs::create_directories(scratch_);
    ::setenv("XDG_CACHE_HOME", (scratch_ / "cache").c_str(), 1);
    translator_ = std::getenv("XVIEW_EFFECT_TRANSLATOR");
  }
  ~TranslatorProcess() override {
    ::setenv("XVIEW_EFFECT_TRANSLATOR", translator_.c_str(), 1);
    fs::remove_all(scratch_);
  }

  // Compiles `text` as the file test.cfx; "" or the error.
  std::string Compile(const std::string& text) {
    std::ofstream(scratch_ / "test.cfx") << text;
    compat::d3dx9::CompiledEffect effect;
    std::string error;
    const bool compiled =
        compat::d3dx9::CompileEffectFile((scratch_ / "test.cfx").wstring().c_str(), {}, false, effect, error);
    EXPECT_EQ(compiled, error.empty()) << error;
    return error;
  }

  // A translator that is this shell script.
  void UseScript(const std::string& body) {
    const fs::path script = scratch_ / "translator.sh";
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    ::setenv("XVIEW_EFFECT_TRANSLATOR", script.c_str(), 1);
  }

  std::string Effect() const { return (scratch_ / "test.cfx").string(); }
  std::string Crashed() const {
    return Effect() + ": the effect translator crashed on it (signal 11, Segmentation fault); glslang crashes so "
                      "on some malformed HLSL";
  }

  fs::path scratch_ = fs::temp_directory_path() / ("translator-" + std::to_string(::getpid()));
  std::string translator_;
};

TEST_F(TranslatorProcess, ACrashOfTheTranslatorIsOneLineAndTheLayerGoesOn) {
  const std::string error = Compile(std::string(kCrashesGlslang) + kTechnique);
  EXPECT_EQ(error, Crashed());
  // Nothing is kept of it, and the next effect translates.
  EXPECT_FALSE(fs::exists(scratch_ / "cache" / "xviewer"));
  EXPECT_EQ(Compile(std::string(kShaders) + kTechnique), "");
}

TEST_F(TranslatorProcess, AHangIsStoppedAtTheTimeLimit) {
  UseScript("exec sleep 600");
  EXPECT_EQ(Compile(std::string(kShaders) + kTechnique),
            Effect() + ": the effect translator did not finish within " +
                std::to_string(compat::d3dx9::kTranslatorSeconds) + " s and was stopped");
}

TEST_F(TranslatorProcess, AMissingTranslatorIsSaidAsSuch) {
  const std::string missing = (scratch_ / "nowhere" / "xviewer-effectc").string();
  ::setenv("XVIEW_EFFECT_TRANSLATOR", missing.c_str(), 1);
  const std::uint64_t runs = compat::testing::EffectTranslatorRuns();
  EXPECT_EQ(Compile(std::string(kShaders) + kTechnique),
            Effect() + ": the effect translator " + missing + " is missing (No such file or directory)");
  EXPECT_EQ(compat::testing::EffectTranslatorRuns(), runs + 1);
}

// A translator that answers nonsense, or ends in a way it never does, is no
// translation; what it wrote on standard error is not shown.
TEST_F(TranslatorProcess, AnAnswerThatIsNoTranslationIsOneLine) {
  const std::string effect = std::string(kShaders) + kTechnique;
  UseScript("cat >/dev/null; echo 'not a translation'");
  EXPECT_EQ(Compile(effect), Effect() + ": the effect translator " + (scratch_ / "translator.sh").string() +
                                 " handed back a translation that is damaged or of another version");
  UseScript("echo 'something went wrong' >&2; exit 7");
  EXPECT_EQ(Compile(effect), Effect() + ": the effect translator failed (exit status 7)");
  UseScript("exit 1");
  EXPECT_EQ(Compile(effect), Effect() + ": the effect translator failed (exit status 1)");
  // An effect that does not compile is the translator's messages.
  UseScript("echo 'test.cfx(3): error: wrong'; exit 1");
  EXPECT_EQ(Compile(effect), "test.cfx(3): error: wrong\n");
  EXPECT_FALSE(fs::exists(scratch_ / "cache" / "xviewer"));
}

// Inputs that once crashed glslang inside the program (found by the effect
// fuzzer) end in a message naming the effect: the effect reader's, or the
// translator's crash.
TEST_F(TranslatorProcess, HlslThatBrokeGlslangEndsInAMessage) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(XVIEW_TEST_DATA) / "effect-regressions")) {
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string error = Compile(text.str());
    EXPECT_EQ(error.rfind(Effect(), 0), 0u) << entry.path() << ": " << error;
    ++files;
  }
  EXPECT_GE(files, 1);
}

// '++' and '--' on variables translate, before or after them. After an
// operand that may not be changed (an undeclared name, a function, a
// member's name, another function's parameter, a uniform, a constant),
// where the result is used, glslang crashes instead of reporting them: the
// effect then ends in a message, glslang's or the crash.
TEST_F(TranslatorProcess, StepsApplyToVariablesInScopeOnly) {
  auto effect = [](const std::string& argument) {
    return "struct S { float member; };\nfloat4 g_u;\nstatic const float kConst = 2;\n"
           "float Twice(float t) { return t * 2; }\n"
           "float4 VS(float3 p : POSITION) : POSITION {\n float k = 1; float2 v[2]; v[0] = 0; v[1] = 0;\n"
           " for (int i = 0; i < 3; i++) k += Twice(" + argument + ");\n return float4(p, --k); }\n"
           "float4 PS() : COLOR0 { return 1.0; }\n" + kTechnique;
  };
  for (const char* argument : {"k--", "k * v[i].y++", "--k + v [1] . x++"})
    EXPECT_EQ(Compile(effect(argument)), "") << argument;
  for (const char* argument : {"undeclared--", "1 + undeclared++", "Twice--", "member++", "t--", "g_u.a++",
                               "k * g_u.a++", "kConst-- * k"}) {
    const std::string error = Compile(effect(argument));
    EXPECT_TRUE(error.rfind(Effect() + "(7): error: ", 0) == 0 || error == Crashed())
        << argument << ": " << error;
  }
}

}  // namespace
