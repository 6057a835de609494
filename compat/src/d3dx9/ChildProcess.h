// Work done in a child process, so that a crash inside a library that is not
// safe on malformed input (glslang's HLSL front end) costs that work and a
// message, never the program.
#pragma once

#include <functional>
#include <string>

namespace compat::d3dx9 {

// Runs `work` in a forked child, which fills the bytes it is given; they come
// back in `output`. False, with `failure` saying how the child ended ("it was
// killed by signal 11"), where the child did not hand back all of its output.
// Where no child can be started, `work` runs in this process.
bool RunInChildProcess(const std::function<void(std::string& output)>& work, std::string& output,
                       std::string& failure);

}  // namespace compat::d3dx9
