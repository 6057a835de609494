/* d3dx_enumerate: the platform's own .x parser (D3DX's ID3DXFile) as a
 * reader of the files our converter writes, run under Wine.
 *
 *   d3dx_enumerate [--values] [--no-register] FILE.x... [--list PATHS.txt]
 *
 * For each file: D3DXFileCreate, RegisterTemplates with the standard
 * templates below (those that programs loading .x through D3DX register:
 * the DirectX 9 template reference, the skinning and effect templates among
 * them), CreateEnumObject, then every data object depth-first through
 * GetChildren / GetChild / GetType / GetName / GetId / IsReference / Lock /
 * Unlock. It prints one line per object:
 *
 *   DEPTH {TYPE-GUID} "NAME" ref|obj SIZE DATA
 *
 * between "file PATH" and "end PATH objects=N". DATA is the object's locked
 * bytes made canonical by walking them with the standard template of the
 * object's type: a STRING member, which Lock gives as a pointer, becomes its
 * characters and a terminating 0; everything else is kept as Lock gives it.
 * DATA is "hex:..." for up to 64 canonical bytes, else "bytes=N fnv:HASH"
 * (FNV-1a, 64 bits). An object of a type the program does not know (a
 * file's own template) is hashed raw and marked "raw". A reference prints
 * the object it names and is not descended into. --values prints each known
 * object's members instead of the hash (FLOAT as %.9g, integers in decimal,
 * strings quoted), for reading by hand. --no-register registers nothing:
 * the file's own template declarations only. Two files with the same
 * objects give the same lines, whatever their format (txt, bin, tzip, bzip)
 * or float size.
 *
 * Each file is read by the program and given to D3DX from memory: Wine's
 * D3DX opens no file by a wide name (D3DXF_FILELOAD_FROMWFILE is E_NOTIMPL)
 * and an ANSI name loses characters. Paths are UTF-8, from the command line
 * or one a line in a list file (--list FILE: any number of files in one
 * Wine start); a path starting with '/' is a Unix path (Wine's drive Z:).
 *
 * Any failing call prints "error PATH: CALL failed: NAME (0xHRESULT)" and the
 * program goes on with the next file; the exit status is 1 when any file
 * failed, 2 for a usage error.
 *
 * What Wine's D3DX (Debian 12's Wine 8.0) does, found with this program
 * (tests/peers/README.md has the inputs):
 *  - Lock gives every FLOAT member as a 4-byte float, in a 64-bit-float
 *    ("0064") file too: a text 0064 file's values are rounded to 32 bits
 *    (0.333333333333333333 locks as 0.333333343f). In a binary 0064 file it
 *    reads every float of a TOKEN_FLOAT_LIST as 4 bytes, whatever the
 *    header says: a list of 8-byte doubles is a parse error
 *    (DXFILEERR_PARSEERROR), a list of 4-byte floats is taken.
 *  - In binary, a TOKEN_STRING's terminator is a 2-byte token
 *    (TOKEN_SEMICOLON or TOKEN_COMMA as a WORD, like every token); a 4-byte
 *    terminator (the token as a DWORD) is a parse error.
 *  - A file that declares the standard templates again is taken, with the
 *    same GUIDs or others; the registered declaration stays the one the data
 *    is read by (a file's Vector of two members is a parse error for Mesh
 *    data of three floats a vertex).
 *  - In text, a number or a string must be followed by a ';' or a ','
 *    (either will do, and more than one): one followed by nothing but space
 *    (the last member before '}' too) is a parse error. The ';' that closes
 *    a member that is itself a template (a ColorRGBA in a Material, the last
 *    Vector of a Mesh's vertices) may be left out. Template members written
 *    without ';' are a parse error of CreateEnumObject.
 *  - In text, a FLOAT must be written with a '.' and no exponent: "0" (an
 *    integer), "1e3", "1.5E+02", "-1.0e-30", ".5" and "+0.25" are parse
 *    errors; "5.", "0.333333333333333333" and any float in fixed notation
 *    (39 digits before the point, or 45 after it) are taken. A name may hold
 *    '-', not '.'.
 *  - An object with more than 200 children is a parse error.
 *  - ID3DXFile::CreateEnumObject fails only where the header or the
 *    template declarations do not parse; a data object that does not parse
 *    ends the enumeration there, with success. Every file is therefore read
 *    again through Wine's DirectX file layer (IDirectXFile), which D3DX is
 *    built on and which reports the failure (CheckWholeFile).
 *  - Wine's D3DX passes on DXFILEERR_* codes (an empty file:
 *    DXFILEERR_BADFILETYPE), not D3DXFERR_*.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <d3dx9.h>
#include <dxfile.h>
#include <shellapi.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The standard templates, as Microsoft's DirectX 9 template reference gives
 * them, in an order where each is declared before it is used, then the
 * retained-mode ones that reference leaves out (Url, InlineData,
 * ProgressiveMesh, StringProperty, PropertyBag, ExternalVisual,
 * RightHanded), which older exporters still write. */
static const char kStandardTemplates[] =
    "xof 0303txt 0032\n"
    "template Header { <3D82AB43-62DA-11CF-AB39-0020AF71E433> WORD major; WORD minor; DWORD flags; }\n"
    "template Vector { <3D82AB5E-62DA-11CF-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }\n"
    "template Coords2d { <F6F23F44-7686-11CF-8F52-0040333594A3> FLOAT u; FLOAT v; }\n"
    "template Matrix4x4 { <F6F23F45-7686-11CF-8F52-0040333594A3> array FLOAT matrix[16]; }\n"
    "template ColorRGBA { <35FF44E0-6C7C-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha; }\n"
    "template ColorRGB { <D3E16E81-7835-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; }\n"
    "template IndexedColor { <1630B820-7842-11CF-8F52-0040333594A3> DWORD index; ColorRGBA indexColor; }\n"
    "template Boolean { <537DA6A0-CA37-11D0-941C-0080C80CFA7B> DWORD truefalse; }\n"
    "template Boolean2d { <4885AE63-78E8-11CF-8F52-0040333594A3> Boolean u; Boolean v; }\n"
    "template MaterialWrap { <4885AE60-78E8-11CF-8F52-0040333594A3> Boolean u; Boolean v; }\n"
    "template TextureFilename { <A42790E1-7810-11CF-8F52-0040333594A3> STRING filename; }\n"
    "template Material { <3D82AB4D-62DA-11CF-AB39-0020AF71E433> ColorRGBA faceColor; FLOAT power;"
    " ColorRGB specularColor; ColorRGB emissiveColor; [...] }\n"
    "template MeshFace { <3D82AB5F-62DA-11CF-AB39-0020AF71E433> DWORD nFaceVertexIndices;"
    " array DWORD faceVertexIndices[nFaceVertexIndices]; }\n"
    "template MeshFaceWraps { <ED1EC5C0-C0A8-11D0-941C-0080C80CFA7B> DWORD nFaceWrapValues;"
    " array Boolean2d faceWrapValues[nFaceWrapValues]; }\n"
    "template MeshTextureCoords { <F6F23F40-7686-11CF-8F52-0040333594A3> DWORD nTextureCoords;"
    " array Coords2d textureCoords[nTextureCoords]; }\n"
    "template MeshMaterialList { <F6F23F42-7686-11CF-8F52-0040333594A3> DWORD nMaterials; DWORD nFaceIndexes;"
    " array DWORD faceIndexes[nFaceIndexes]; [Material <3D82AB4D-62DA-11CF-AB39-0020AF71E433>] }\n"
    "template MeshNormals { <F6F23F43-7686-11CF-8F52-0040333594A3> DWORD nNormals; array Vector normals[nNormals];"
    " DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals]; }\n"
    "template MeshVertexColors { <1630B821-7842-11CF-8F52-0040333594A3> DWORD nVertexColors;"
    " array IndexedColor vertexColors[nVertexColors]; }\n"
    "template Mesh { <3D82AB44-62DA-11CF-AB39-0020AF71E433> DWORD nVertices; array Vector vertices[nVertices];"
    " DWORD nFaces; array MeshFace faces[nFaces]; [...] }\n"
    "template FrameTransformMatrix { <F6F23F41-7686-11CF-8F52-0040333594A3> Matrix4x4 frameMatrix; }\n"
    "template Frame { <3D82AB46-62DA-11CF-AB39-0020AF71E433> [...] }\n"
    "template FloatKeys { <10DD46A9-775B-11CF-8F52-0040333594A3> DWORD nValues; array FLOAT values[nValues]; }\n"
    "template TimedFloatKeys { <F406B180-7B3B-11CF-8F52-0040333594A3> DWORD time; FloatKeys tfkeys; }\n"
    "template AnimationKey { <10DD46A8-775B-11CF-8F52-0040333594A3> DWORD keyType; DWORD nKeys;"
    " array TimedFloatKeys keys[nKeys]; }\n"
    "template AnimationOptions { <E2BF56C0-840F-11CF-8F52-0040333594A3> DWORD openclosed; DWORD positionquality; }\n"
    "template Animation { <3D82AB4F-62DA-11CF-AB39-0020AF71E433> [...] }\n"
    "template AnimationSet { <3D82AB50-62DA-11CF-AB39-0020AF71E433>"
    " [Animation <3D82AB4F-62DA-11CF-AB39-0020AF71E433>] }\n"
    "template Guid { <A42790E0-7810-11CF-8F52-0040333594A3> DWORD data1; WORD data2; WORD data3;"
    " array UCHAR data4[8]; }\n"
    "template XSkinMeshHeader { <3CF169CE-FF7C-44AB-93C0-F78F62D172E2> WORD nMaxSkinWeightsPerVertex;"
    " WORD nMaxSkinWeightsPerFace; WORD nBones; }\n"
    "template VertexDuplicationIndices { <B8D65549-D7C9-4995-89CF-53A9A8B031E3> DWORD nIndices;"
    " DWORD nOriginalVertices; array DWORD indices[nIndices]; }\n"
    "template SkinWeights { <6F0D123B-BAD2-4167-A0D0-80224F25FABB> STRING transformNodeName; DWORD nWeights;"
    " array DWORD vertexIndices[nWeights]; array FLOAT weights[nWeights]; Matrix4x4 matrixOffset; }\n"
    "template AnimTicksPerSecond { <9E415A43-7BA6-4A73-8743-B73D47E88476> DWORD AnimTicksPerSecond; }\n"
    "template FaceAdjacency { <A64C844A-E282-4756-8B80-250CDE04398C> DWORD nIndices; array DWORD indices[nIndices]; }\n"
    "template VertexElement { <F752461C-1E23-48F6-B9F8-8350850F336F> DWORD Type; DWORD Method; DWORD Usage;"
    " DWORD UsageIndex; }\n"
    "template DeclData { <BF22E553-292C-4781-9FEA-62BD554BDD93> DWORD nElements;"
    " array VertexElement Elements[nElements]; DWORD nDWords; array DWORD data[nDWords]; }\n"
    "template FVFData { <B6E70A0E-8EF9-4E83-94AD-ECC8B0C04897> DWORD dwFVF; DWORD nDWords;"
    " array DWORD data[nDWords]; }\n"
    "template EffectFloats { <F1CFE2B3-0DE3-4E28-AFA1-155A750A282D> DWORD nFloats; array FLOAT Floats[nFloats]; }\n"
    "template EffectString { <D55B097E-BDB6-4C52-B03D-6051C89D0E42> STRING Value; }\n"
    "template EffectDWord { <622C0ED0-956E-4DA9-908A-2AF94F3CE716> DWORD Value; }\n"
    "template EffectParamFloats { <3014B9A0-62F5-478C-9B86-E4AC9F4E418B> STRING ParamName; DWORD nFloats;"
    " array FLOAT Floats[nFloats]; }\n"
    "template EffectParamString { <1DBC4C88-94C1-46EE-9076-2C28818C9481> STRING ParamName; STRING Value; }\n"
    "template EffectParamDWord { <E13963BC-AE51-4C5D-B00F-CFA3A9D97CE5> STRING ParamName; DWORD Value; }\n"
    "template EffectInstance { <E331F7E4-0559-4CC2-8E99-1CEC1657928F> STRING EffectFilename; [...] }\n"
    "template Patch { <A3EB5D44-FC22-429D-9AFB-3221CB9719A6> DWORD nControlIndices;"
    " array DWORD controlIndices[nControlIndices]; }\n"
    "template PatchMesh { <D02C95CC-EDBA-4305-9B5D-1820D7704BBF> DWORD nVertices; array Vector vertices[nVertices];"
    " DWORD nPatches; array Patch patches[nPatches]; [...] }\n"
    "template PatchMesh9 { <B9EC94E1-B9A6-4251-BA18-94893F02C0EA> DWORD Type; DWORD Degree; DWORD Basis;"
    " DWORD nVertices; array Vector vertices[nVertices]; DWORD nPatches; array Patch patches[nPatches]; [...] }\n"
    "template PMAttributeRange { <917E0427-C61E-4A14-9C64-AFE65F9E9844> DWORD iFaceOffset; DWORD nFacesMin;"
    " DWORD nFacesMax; DWORD iVertexOffset; DWORD nVerticesMin; DWORD nVerticesMax; }\n"
    "template PMVSplitRecord { <574CCC14-F0B3-4333-822D-93E8A8A08E4C> DWORD iFaceCLW; DWORD iVlrOffset;"
    " DWORD iCode; }\n"
    "template PMInfo { <B6C3E656-EC8B-4B92-9B62-681659522947> DWORD nAttributes;"
    " array PMAttributeRange attributeRanges[nAttributes]; DWORD nMaxValence; DWORD nMinLogicalVertices;"
    " DWORD nMaxLogicalVertices; DWORD nVSplits; array PMVSplitRecord splitRecords[nVSplits];"
    " DWORD nAttributeMispredicts; array DWORD attributeMispredicts[nAttributeMispredicts]; }\n"
    "template CompressedAnimationSet { <7F9B00B3-F125-4890-876E-1C42BF697C4D> DWORD CompressedBlockSize;"
    " FLOAT TicksPerSec; DWORD PlaybackType; DWORD BufferLength; array DWORD CompressedData[BufferLength]; }\n"
    "template Url { <3A23EEA1-94B1-11D0-AB39-0020AF71E433> DWORD nUrls; array STRING urls[nUrls]; }\n"
    "template InlineData { <3A23EEA0-94B1-11D0-AB39-0020AF71E433> [BINARY] }\n"
    "template ProgressiveMesh { <8A63C360-997D-11D0-941C-0080C80CFA7B> [Url <3A23EEA1-94B1-11D0-AB39-0020AF71E433>,"
    " InlineData <3A23EEA0-94B1-11D0-AB39-0020AF71E433>] }\n"
    "template StringProperty { <7F0F21E0-BFE1-11D1-82C0-00A0C9697271> STRING key; STRING value; }\n"
    "template PropertyBag { <7F0F21E1-BFE1-11D1-82C0-00A0C9697271>"
    " [StringProperty <7F0F21E0-BFE1-11D1-82C0-00A0C9697271>] }\n"
    "template ExternalVisual { <98116AA0-BDBA-11D1-82C0-00A0C9697271> Guid guidExternalVisual; [...] }\n"
    "template RightHanded { <7F5D5EA0-D53A-11D1-82C0-00A0C9697271> DWORD bRightHanded; }\n";

/* Templates that exporters declare in their own files, which the program
 * does not register (the files bring them) but knows, so that their locked
 * data can be walked: kW Xport's KeyValuePair holds two STRINGs, which Lock
 * gives as pointers. */
static const char kExporterTemplates[] =
    "xof 0303txt 0032\n"
    "template KeyValuePair { <26E6B1C3-3D4D-4A1D-A437-B33668FFA1C2> STRING key; STRING value; }\n";

/* ---- The templates above, parsed, so that locked data can be walked. ---- */

enum MemberKind {
  M_WORD,
  M_DWORD,
  M_FLOAT,
  M_DOUBLE,
  M_CHAR,
  M_UCHAR,
  M_SWORD,
  M_SDWORD,
  M_ULONGLONG,
  M_STRING,
  M_TEMPLATE
};

#define MAX_MEMBERS 12
#define MAX_DIMS 2
#define MAX_TEMPLATES 72
#define MAX_NAME 40

typedef struct {
  enum MemberKind kind;
  int templateIndex; /* M_TEMPLATE: which template */
  char name[MAX_NAME];
  int dims;                    /* 0: not an array */
  int dimMember[MAX_DIMS];     /* index of the earlier member that sizes it, or -1 */
  unsigned dimValue[MAX_DIMS]; /* the size written as a number */
} Member;

typedef struct {
  char name[MAX_NAME];
  GUID guid;
  int memberCount;
  Member members[MAX_MEMBERS];
} Template;

static Template g_templates[MAX_TEMPLATES];
static int g_templateCount;

static const char* SkipSpace(const char* p) {
  while (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r') ++p;
  return p;
}

static const char* ReadWord(const char* p, char* out, size_t size) {
  size_t n = 0;
  p = SkipSpace(p);
  while ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') || *p == '_') {
    if (n + 1 < size) out[n++] = *p;
    ++p;
  }
  out[n] = 0;
  return p;
}

static int ParseGuid(const char* text, GUID* guid) {
  unsigned d1, d2, d3, b[8];
  if (sscanf(text, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5],
             &b[6], &b[7]) != 11)
    return 0;
  guid->Data1 = d1;
  guid->Data2 = (WORD)d2;
  guid->Data3 = (WORD)d3;
  for (int i = 0; i < 8; ++i) guid->Data4[i] = (BYTE)b[i];
  return 1;
}

static int FindTemplateByName(const char* name) {
  for (int i = 0; i < g_templateCount; ++i)
    if (strcmp(g_templates[i].name, name) == 0) return i;
  return -1;
}

static int FindTemplateByGuid(const GUID* guid) {
  for (int i = 0; i < g_templateCount; ++i)
    if (memcmp(&g_templates[i].guid, guid, sizeof *guid) == 0) return i;
  return -1;
}

static int KindOf(const char* type, enum MemberKind* kind, int* templateIndex) {
  static const struct {
    const char* name;
    enum MemberKind kind;
  } primitives[] = {{"WORD", M_WORD},     {"DWORD", M_DWORD},         {"FLOAT", M_FLOAT},   {"DOUBLE", M_DOUBLE},
                    {"CHAR", M_CHAR},     {"UCHAR", M_UCHAR},         {"SWORD", M_SWORD},   {"SDWORD", M_SDWORD},
                    {"BYTE", M_UCHAR},    {"ULONGLONG", M_ULONGLONG}, {"STRING", M_STRING}, {"CSTRING", M_STRING},
                    {"UNICODE", M_STRING}};
  for (size_t i = 0; i < sizeof primitives / sizeof primitives[0]; ++i)
    if (_stricmp(type, primitives[i].name) == 0) {
      *kind = primitives[i].kind;
      return 1;
    }
  *templateIndex = FindTemplateByName(type);
  *kind = M_TEMPLATE;
  return *templateIndex >= 0;
}

/* Parses one of the texts above (our own, so a failure is a fault here). */
static int ParseTemplates(const char* text) {
  const char* p = strchr(text, '\n') + 1;
  char word[MAX_NAME];
  for (;;) {
    p = ReadWord(p, word, sizeof word);
    if (!word[0]) return 1;
    if (strcmp(word, "template") != 0 || g_templateCount == MAX_TEMPLATES) return 0;
    Template* t = &g_templates[g_templateCount];
    memset(t, 0, sizeof *t);
    p = ReadWord(p, t->name, sizeof t->name);
    p = SkipSpace(p);
    if (*p++ != '{') return 0;
    p = SkipSpace(p);
    if (*p++ != '<' || !ParseGuid(p, &t->guid)) return 0;
    p = strchr(p, '>') + 1;
    for (;;) {
      p = SkipSpace(p);
      if (*p == '}') {
        ++p;
        break;
      }
      if (*p == '[') {
        p = strchr(p, ']') + 1;
        continue;
      } /* restrictions: children, not data */
      Member* m = &t->members[t->memberCount];
      if (t->memberCount == MAX_MEMBERS) return 0;
      memset(m, 0, sizeof *m);
      char type[MAX_NAME];
      p = ReadWord(p, type, sizeof type);
      int isArray = strcmp(type, "array") == 0;
      if (isArray) p = ReadWord(p, type, sizeof type);
      if (!KindOf(type, &m->kind, &m->templateIndex)) return 0;
      p = ReadWord(p, m->name, sizeof m->name);
      p = SkipSpace(p);
      while (isArray && *p == '[') {
        char dim[MAX_NAME];
        if (m->dims == MAX_DIMS) return 0;
        p = ReadWord(p + 1, dim, sizeof dim);
        m->dimMember[m->dims] = -1;
        if (dim[0] >= '0' && dim[0] <= '9') {
          m->dimValue[m->dims] = (unsigned)strtoul(dim, NULL, 10);
        } else {
          for (int i = 0; i < t->memberCount; ++i)
            if (strcmp(t->members[i].name, dim) == 0) m->dimMember[m->dims] = i;
          if (m->dimMember[m->dims] < 0) return 0;
        }
        ++m->dims;
        p = SkipSpace(p);
        if (*p++ != ']') return 0;
        p = SkipSpace(p);
      }
      if (*p++ != ';') return 0;
      ++t->memberCount;
    }
    ++g_templateCount;
  }
}

/* ---- Output ---- */

typedef struct {
  unsigned char* bytes;
  size_t size, capacity;
  int overflow;
} Canonical;

static void Put(Canonical* c, const void* data, size_t size) {
  if (c->size + size > c->capacity) {
    size_t capacity = c->capacity ? c->capacity : 256;
    while (capacity < c->size + size) capacity *= 2;
    unsigned char* grown = (unsigned char*)realloc(c->bytes, capacity);
    if (!grown) {
      c->overflow = 1;
      return;
    }
    c->bytes = grown;
    c->capacity = capacity;
  }
  memcpy(c->bytes + c->size, data, size);
  c->size += size;
}

static void PrintQuoted(FILE* out, const char* text) {
  fputc('"', out);
  for (const unsigned char* s = (const unsigned char*)text; *s; ++s) {
    if (*s == '"' || *s == '\\')
      fprintf(out, "\\%c", *s);
    else if (*s < 0x20 || *s > 0x7e)
      fprintf(out, "\\x%02x", *s);
    else
      fputc(*s, out);
  }
  fputc('"', out);
}

static void PrintGuid(FILE* out, const GUID* g) {
  fprintf(out, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", (unsigned long)g->Data1, g->Data2, g->Data3,
          g->Data4[0], g->Data4[1], g->Data4[2], g->Data4[3], g->Data4[4], g->Data4[5], g->Data4[6], g->Data4[7]);
}

static uint64_t Fnv1a(const unsigned char* bytes, size_t size) {
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

/* ---- Walking locked data by a template ---- */

typedef struct {
  const unsigned char* data;
  size_t size, at;
  int failed;
  Canonical* canonical;
  FILE* values; /* --values: members printed here, else NULL */
} Walk;

static int Take(Walk* w, void* out, size_t size) {
  if (w->failed || w->at + size > w->size) {
    w->failed = 1;
    return 0;
  }
  memcpy(out, w->data + w->at, size);
  w->at += size;
  return 1;
}

static void WalkTemplate(Walk* w, int templateIndex);

/* One value of a member; returns it as a count where it is an integer. */
static unsigned long long WalkValue(Walk* w, const Member* m) {
  unsigned long long count = 0;
  switch (m->kind) {
    case M_WORD:
    case M_SWORD: {
      WORD v = 0;
      if (Take(w, &v, 2)) Put(w->canonical, &v, 2);
      if (w->values) {
        if (m->kind == M_SWORD)
          fprintf(w->values, " %d", (int)(SHORT)v);
        else
          fprintf(w->values, " %u", (unsigned)v);
      }
      count = v;
      break;
    }
    case M_DWORD:
    case M_SDWORD: {
      DWORD v = 0;
      if (Take(w, &v, 4)) Put(w->canonical, &v, 4);
      if (w->values) {
        if (m->kind == M_SDWORD)
          fprintf(w->values, " %ld", (long)(LONG)v);
        else
          fprintf(w->values, " %lu", (unsigned long)v);
      }
      count = v;
      break;
    }
    case M_CHAR:
    case M_UCHAR: {
      unsigned char v = 0;
      if (Take(w, &v, 1)) Put(w->canonical, &v, 1);
      if (w->values) fprintf(w->values, " %u", v);
      count = v;
      break;
    }
    case M_ULONGLONG: {
      unsigned long long v = 0;
      if (Take(w, &v, 8)) Put(w->canonical, &v, 8);
      if (w->values) fprintf(w->values, " %llu", v);
      count = v;
      break;
    }
    case M_FLOAT: {
      float f = 0;
      if (Take(w, &f, 4)) Put(w->canonical, &f, 4);
      if (w->values) fprintf(w->values, " %.9g", f);
      break;
    }
    case M_DOUBLE: {
      double d = 0;
      if (Take(w, &d, 8)) Put(w->canonical, &d, 8);
      if (w->values) fprintf(w->values, " %.17g", d);
      break;
    }
    case M_STRING: {
      const char* s = NULL;
      if (Take(w, &s, sizeof s)) {
        const char* text = s ? s : "";
        Put(w->canonical, text, strlen(text) + 1);
        if (w->values) {
          fputc(' ', w->values);
          PrintQuoted(w->values, text);
        }
      }
      break;
    }
    case M_TEMPLATE:
      if (w->values) fputs(" {", w->values);
      WalkTemplate(w, m->templateIndex);
      if (w->values) fputs(" }", w->values);
      break;
  }
  return count;
}

static void WalkTemplate(Walk* w, int templateIndex) {
  const Template* t = &g_templates[templateIndex];
  unsigned long long counts[MAX_MEMBERS] = {0};
  for (int i = 0; i < t->memberCount && !w->failed; ++i) {
    const Member* m = &t->members[i];
    if (!m->dims) {
      counts[i] = WalkValue(w, m);
      continue;
    }
    unsigned long long total = 1;
    for (int d = 0; d < m->dims; ++d) total *= m->dimMember[d] >= 0 ? counts[m->dimMember[d]] : m->dimValue[d];
    if (w->values) fputs(" [", w->values);
    /* A count past what the data can hold is the data's fault: stop there. */
    for (unsigned long long k = 0; k < total && !w->failed; ++k) WalkValue(w, m);
    if (w->values) fputs(" ]", w->values);
  }
}

/* ---- Enumeration ---- */

typedef struct {
  const char* path;
  int valuesMode;
  long objects;
  int failed;
} FileRun;

/* The HRESULT's name: D3DXFERR_* (codes 900 on), or DXFILEERR_* (850 on),
 * which Wine's D3DX passes on from its DirectX file layer for some
 * failures (an empty file gives DXFILEERR_BADFILETYPE). */
static const char* ErrorName(HRESULT hr) {
  static const char* const kD3dxfErrors[] = {
      "D3DXFERR_BADOBJECT",   "D3DXFERR_BADVALUE",       "D3DXFERR_BADTYPE",          "D3DXFERR_NOTFOUND",
      "D3DXFERR_NOTDONEYET",  "D3DXFERR_FILENOTFOUND",   "D3DXFERR_RESOURCENOTFOUND", "D3DXFERR_BADRESOURCE",
      "D3DXFERR_BADFILETYPE", "D3DXFERR_BADFILEVERSION", "D3DXFERR_BADFILEFLOATSIZE", "D3DXFERR_BADFILE",
      "D3DXFERR_PARSEERROR",  "D3DXFERR_BADARRAYSIZE",   "D3DXFERR_BADDATAREFERENCE", "D3DXFERR_NOMOREOBJECTS",
      "D3DXFERR_NOMOREDATA",  "D3DXFERR_BADCACHEFILE"};
  static const char* const kDxfileErrors[] = {
      "DXFILEERR_BADOBJECT",       "DXFILEERR_BADVALUE",         "DXFILEERR_BADTYPE",
      "DXFILEERR_BADSTREAMHANDLE", "DXFILEERR_BADALLOC",         "DXFILEERR_NOTFOUND",
      "DXFILEERR_NOTDONEYET",      "DXFILEERR_FILENOTFOUND",     "DXFILEERR_RESOURCENOTFOUND",
      "DXFILEERR_URLNOTFOUND",     "DXFILEERR_BADRESOURCE",      "DXFILEERR_BADFILETYPE",
      "DXFILEERR_BADFILEVERSION",  "DXFILEERR_BADFILEFLOATSIZE", "DXFILEERR_BADFILECOMPRESSIONTYPE",
      "DXFILEERR_BADFILE",         "DXFILEERR_PARSEERROR",       "DXFILEERR_NOTEMPLATE",
      "DXFILEERR_BADARRAYSIZE",    "DXFILEERR_BADDATAREFERENCE", "DXFILEERR_INTERNALERROR",
      "DXFILEERR_NOMOREOBJECTS",   "DXFILEERR_BADINTRINSICS",    "DXFILEERR_NOMORESTREAMHANDLES",
      "DXFILEERR_NOMOREDATA",      "DXFILEERR_BADCACHEFILE",     "DXFILEERR_NOINTERNET"};
  if (HRESULT_FACILITY(hr) == _FACD3DXF && (hr & 0x80000000u)) {
    const unsigned code = HRESULT_CODE(hr);
    if (code >= 900 && code < 900 + sizeof kD3dxfErrors / sizeof kD3dxfErrors[0]) return kD3dxfErrors[code - 900];
    if (code >= 850 && code < 850 + sizeof kDxfileErrors / sizeof kDxfileErrors[0]) return kDxfileErrors[code - 850];
  }
  switch (hr) {
    case E_OUTOFMEMORY:
      return "E_OUTOFMEMORY";
    case E_POINTER:
      return "E_POINTER";
    case E_INVALIDARG:
      return "E_INVALIDARG";
    case E_NOTIMPL:
      return "E_NOTIMPL";
    case E_FAIL:
      return "E_FAIL";
    default:
      return "unknown HRESULT";
  }
}

static int Failed(FileRun* run, const char* call, HRESULT hr) {
  if (SUCCEEDED(hr)) return 0;
  printf("error %s: %s failed: %s (0x%08lX)\n", run->path, call, ErrorName(hr), (unsigned long)hr);
  run->failed = 1;
  return 1;
}

static void PrintObject(FileRun* run, ID3DXFileData* object, int depth) {
  GUID type, id;
  SIZE_T nameSize = 0;
  char* name;
  if (Failed(run, "ID3DXFileData::GetType", object->lpVtbl->GetType(object, &type))) return;
  if (Failed(run, "ID3DXFileData::GetName", object->lpVtbl->GetName(object, NULL, &nameSize))) return;
  name = (char*)calloc(nameSize + 1, 1);
  if (!name || Failed(run, "ID3DXFileData::GetName", object->lpVtbl->GetName(object, name, &nameSize))) {
    free(name);
    return;
  }
  memset(&id, 0, sizeof id);
  object->lpVtbl->GetId(object, &id);
  const BOOL reference = object->lpVtbl->IsReference(object);

  SIZE_T size = 0;
  const void* data = NULL;
  if (Failed(run, "ID3DXFileData::Lock", object->lpVtbl->Lock(object, &size, &data))) {
    free(name);
    return;
  }
  ++run->objects;
  printf("%d ", depth);
  PrintGuid(stdout, &type);
  putchar(' ');
  PrintQuoted(stdout, name);
  static const GUID kNoId;
  if (memcmp(&id, &kNoId, sizeof id) != 0) {
    fputs(" id=", stdout);
    PrintGuid(stdout, &id);
  }
  printf(" %s %lu", reference ? "ref" : "obj", (unsigned long)size);

  Canonical canonical = {0};
  const int known = FindTemplateByGuid(&type);
  if (known >= 0) {
    Walk walk = {(const unsigned char*)data, size, 0, 0, &canonical, run->valuesMode ? stdout : NULL};
    if (run->valuesMode) printf(" %s", g_templates[known].name);
    WalkTemplate(&walk, known);
    /* Data the template does not account for is kept too, so that it shows. */
    if (walk.failed)
      fputs(" short", stdout);
    else if (walk.at < size) {
      printf(" extra=%lu", (unsigned long)(size - walk.at));
      Put(&canonical, walk.data + walk.at, size - walk.at);
    }
  } else {
    fputs(" raw", stdout);
    Put(&canonical, data, size);
  }
  object->lpVtbl->Unlock(object);
  if (canonical.overflow) {
    fputs(" (out of memory)", stdout);
  } else if (!run->valuesMode || known < 0) {
    if (canonical.size <= 64) {
      fputs(" hex:", stdout);
      for (size_t i = 0; i < canonical.size; ++i) printf("%02x", canonical.bytes[i]);
    } else {
      printf(" bytes=%lu fnv:%016llx", (unsigned long)canonical.size,
             (unsigned long long)Fnv1a(canonical.bytes, canonical.size));
    }
  }
  putchar('\n');
  free(canonical.bytes);
  free(name);

  if (reference) return;
  SIZE_T children = 0;
  if (Failed(run, "ID3DXFileData::GetChildren", object->lpVtbl->GetChildren(object, &children))) return;
  for (SIZE_T i = 0; i < children && !run->failed; ++i) {
    ID3DXFileData* child = NULL;
    if (Failed(run, "ID3DXFileData::GetChild", object->lpVtbl->GetChild(object, i, &child))) return;
    PrintObject(run, child, depth + 1);
    child->lpVtbl->Release(child);
  }
}

/* The whole file in memory; NULL with `size` 0 where it cannot be read. */
static void* ReadWholeFile(const wchar_t* path, DWORD* size) {
  *size = 0;
  FILE* file = _wfopen(path, L"rb");
  if (!file) return NULL;
  void* bytes = NULL;
  if (fseek(file, 0, SEEK_END) == 0) {
    const long length = ftell(file);
    if (length >= 0 && fseek(file, 0, SEEK_SET) == 0 && (bytes = malloc(length ? (size_t)length : 1)) &&
        fread(bytes, 1, (size_t)length, file) == (size_t)length) {
      *size = (DWORD)length;
    } else {
      free(bytes);
      bytes = NULL;
    }
  }
  fclose(file);
  return bytes;
}

/* Wine's ID3DXFile keeps the top-level objects before one it cannot parse
 * and reports success; its DirectX file layer (IDirectXFile, which it is
 * built on) reports the failure. Each top-level object is read through that
 * layer too, so that a file which does not parse whole fails. */
static void CheckWholeFile(FileRun* run, void* bytes, DWORD size, int registerTemplates) {
  IDirectXFile* file = NULL;
  IDirectXFileEnumObject* enumObject = NULL;
  DXFILELOADMEMORY memory = {bytes, size};
  if (!Failed(run, "DirectXFileCreate", DirectXFileCreate(&file)) &&
      (!registerTemplates ||
       !Failed(run, "IDirectXFile::RegisterTemplates",
               IDirectXFile_RegisterTemplates(file, (void*)kStandardTemplates, sizeof kStandardTemplates - 1))) &&
      !Failed(run, "IDirectXFile::CreateEnumObject",
              IDirectXFile_CreateEnumObject(file, &memory, DXFILELOAD_FROMMEMORY, &enumObject))) {
    for (long count = 1;; ++count) {
      IDirectXFileData* object = NULL;
      const HRESULT hr = IDirectXFileEnumObject_GetNextDataObject(enumObject, &object);
      if (hr == DXFILEERR_NOMOREOBJECTS) break;
      char call[96];
      sprintf(call, "IDirectXFileEnumObject::GetNextDataObject (top-level object %ld)", count);
      if (Failed(run, call, hr)) break;
      IDirectXFileData_Release(object);
    }
  }
  if (enumObject) IDirectXFileEnumObject_Release(enumObject);
  if (file) IDirectXFile_Release(file);
}

/* A path as Wine takes it, from UTF-8: one starting with '/' is a Unix
 * path, which is drive Z:. */
static wchar_t* WindowsPath(const char* path) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, NULL, 0);
  wchar_t* windows = length > 0 ? (wchar_t*)malloc((length + 2) * sizeof(wchar_t)) : NULL;
  if (!windows) return NULL;
  wchar_t* at = windows;
  if (path[0] == '/') {
    *at++ = L'Z';
    *at++ = L':';
  }
  MultiByteToWideChar(CP_UTF8, 0, path, -1, at, length);
  for (wchar_t* c = windows; *c; ++c)
    if (*c == L'/') *c = L'\\';
  return windows;
}

/* `path` is UTF-8, as printed. */
static int EnumerateFile(const char* path, int registerTemplates, int valuesMode) {
  FileRun run = {path, valuesMode, 0, 0};
  ID3DXFile* file = NULL;
  ID3DXFileEnumObject* enumObject = NULL;
  wchar_t* windowsPath = WindowsPath(path);
  D3DXF_FILELOADMEMORY memory = {NULL, 0};
  DWORD size = 0;
  printf("file %s\n", path);
  memory.lpMemory = windowsPath ? ReadWholeFile(windowsPath, &size) : NULL;
  memory.dSize = size;
  free(windowsPath);
  if (!memory.lpMemory) {
    printf("error %s: the file cannot be read\n", path);
    return 1;
  }
  if (!Failed(&run, "D3DXFileCreate", D3DXFileCreate(&file)) &&
      (!registerTemplates ||
       !Failed(&run, "ID3DXFile::RegisterTemplates",
               file->lpVtbl->RegisterTemplates(file, kStandardTemplates, sizeof kStandardTemplates - 1))) &&
      !Failed(&run, "ID3DXFile::CreateEnumObject",
              file->lpVtbl->CreateEnumObject(file, &memory, D3DXF_FILELOAD_FROMMEMORY, &enumObject))) {
    SIZE_T children = 0;
    if (!Failed(&run, "ID3DXFileEnumObject::GetChildren", enumObject->lpVtbl->GetChildren(enumObject, &children))) {
      for (SIZE_T i = 0; i < children && !run.failed; ++i) {
        ID3DXFileData* object = NULL;
        if (Failed(&run, "ID3DXFileEnumObject::GetChild", enumObject->lpVtbl->GetChild(enumObject, i, &object))) break;
        PrintObject(&run, object, 0);
        object->lpVtbl->Release(object);
      }
    }
  }
  if (enumObject) enumObject->lpVtbl->Release(enumObject);
  if (file) file->lpVtbl->Release(file);
  if (!run.failed) CheckWholeFile(&run, (void*)memory.lpMemory, size, registerTemplates);
  free((void*)memory.lpMemory);
  if (!run.failed) printf("end %s objects=%ld\n", path, run.objects);
  fflush(stdout);
  return run.failed;
}

/* Every line of a list file (UTF-8, '\n' or "\r\n" ends a line) is a path. */
static int EnumerateList(const char* listPath, int registerTemplates, int valuesMode) {
  wchar_t* windowsPath = WindowsPath(listPath);
  DWORD size = 0;
  char* text = windowsPath ? (char*)ReadWholeFile(windowsPath, &size) : NULL;
  free(windowsPath);
  if (!text) {
    fprintf(stderr, "d3dx_enumerate: the list %s cannot be read\n", listPath);
    return -1;
  }
  int failures = 0;
  for (char *line = text, *end = text + size; line < end;) {
    char* next = memchr(line, '\n', (size_t)(end - line));
    if (!next) next = end;
    char* stop = next > line && next[-1] == '\r' ? next - 1 : next;
    if (stop > line) {
      char saved = *stop;
      *stop = 0;
      failures += EnumerateFile(line, registerTemplates, valuesMode);
      *stop = saved;
    }
    line = next + 1;
  }
  free(text);
  return failures;
}

/* The command line as UTF-8 (Wine gives main() its arguments in the ANSI
 * code page, which loses characters of other scripts). */
static char** Utf8Arguments(int* count) {
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), count);
  char** arguments = wide ? (char**)calloc((size_t)*count + 1, sizeof(char*)) : NULL;
  for (int i = 0; arguments && i < *count; ++i) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, NULL, 0, NULL, NULL);
    arguments[i] = (char*)malloc(length > 0 ? (size_t)length : 1);
    if (!arguments[i]) return NULL;
    arguments[i][0] = 0;
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arguments[i], length, NULL, NULL);
  }
  LocalFree(wide);
  return arguments;
}

int main(void) {
  int argc = 0;
  char** argv = Utf8Arguments(&argc);
  int registerTemplates = 1, valuesMode = 0, failures = 0, files = 0;
  if (!argv) {
    fprintf(stderr, "d3dx_enumerate: the command line cannot be read\n");
    return 2;
  }
  if (!ParseTemplates(kStandardTemplates) || !ParseTemplates(kExporterTemplates)) {
    fprintf(stderr, "d3dx_enumerate: the program's own template list does not parse\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--values") == 0) {
      valuesMode = 1;
    } else if (strcmp(argv[i], "--no-register") == 0) {
      registerTemplates = 0;
    } else if (strcmp(argv[i], "--list") == 0 && i + 1 < argc) {
      const int listed = EnumerateList(argv[++i], registerTemplates, valuesMode);
      if (listed < 0) return 2;
      failures += listed;
      ++files;
    } else if (strncmp(argv[i], "--", 2) == 0) {
      fprintf(stderr, "d3dx_enumerate: unknown option %s\n", argv[i]);
      files = 0;
      break;
    } else {
      failures += EnumerateFile(argv[i], registerTemplates, valuesMode);
      ++files;
    }
  }
  if (!files) {
    fprintf(stderr, "usage: d3dx_enumerate [--values] [--no-register] FILE.x... [--list PATHS.txt]\n");
    return 2;
  }
  return failures ? 1 : 0;
}
