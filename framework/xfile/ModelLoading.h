// Loading the viewer's model file into g_ModelRegistry together with the
// textures its materials name, and finding it again. These run on the
// program's one thread, since they fill process-wide registries and the
// device's textures; a tool that reads files on several threads parses each
// with ParseXFile (DocumentParser.h), which is re-entrant.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

#include "xfile/DocumentParser.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// The program's model file: "miko.x", or "squarepolygon.x" in the reduced shape.
extern const wchar_t* const kModelFileName;
// The file LoadModel reads: kModelFileName unless the program was given
// another before its window was created.
extern std::wstring g_ModelFileName;

// Parses the model file and loads every texture its materials name; false
// when the file cannot be opened or its header is rejected. A model that is
// loaded already is not parsed again. Files carry their authors' own paths,
// so a texture is looked for where TextureSearch finds it (as written, under
// the model's folder, by its trailing parts and by its bare name nearby), and
// a name the reader took for Shift-JIS that is nowhere is tried again as
// Windows-1252. It is kept under the name the material gives. A texture that
// cannot be loaded is named on standard error with the model and the reason,
// after what the parse has to say (ReportParse).
bool LoadModel(IDirect3DDevice9* device);
// The registry's content for the model file, or null when it is not loaded.
XModelContent* FindModel();

// The same for any file name (the programs use the fixed one above).
bool LoadModelFile(IDirect3DDevice9* device, const std::wstring& fileName);
XModelContent* FindModelFile(const std::wstring& fileName);

// The two halves of LoadModelFile, for a caller that weighs the parse before
// it reports it (a model read again while it is shown). ParseModelFile
// parses `fileName` into the registry under that name, which must be free,
// and says nothing; a file the reader refuses leaves nothing registered.
// LoadModelTextures then loads the textures the registered model names, its
// text decoded with `codePage` (the parse's).
ParseResult ParseModelFile(const std::wstring& fileName);
void LoadModelTextures(IDirect3DDevice9* device, const std::wstring& fileName, unsigned codePage);

// Forgets a loaded model file and releases the textures its materials name
// that no other loaded model names. Nothing may point into its records any
// more. A file that is not loaded changes nothing.
void ReleaseModelFile(const std::wstring& fileName);

XFILE_SHAPE_END
