// The layer's own files beside an installed program, found the way the
// programs find their assets: under the folder above the program's own (the
// prefix of an installation, whose bin/ holds the program; the build
// folder, whose apps/ does). A program built on the installed framework that
// does not lie there (one run from its own build folder) finds them where
// the layer was installed.
#pragma once

#include <string>
#include <string_view>

namespace compat::d3dx9 {

// `relative` under that folder when it exists there, else under the prefix
// the layer was installed to when it exists there, else the first ("" when
// the program's own file is unknown), so that a failure names it.
std::string InstalledPath(std::string_view relative);

// The effect translator program, and the records it made of the bundled
// effects when the project was built; the build names their places.
std::string InstalledTranslator();
std::string InstalledEffectRecords();

}  // namespace compat::d3dx9
