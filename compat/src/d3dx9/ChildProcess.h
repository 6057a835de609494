// Work done in a child process, so that a crash inside a library that is not
// safe on malformed input (glslang's HLSL front end) costs that work and a
// message, never the program.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace compat::d3dx9 {

// Runs `work` in a forked child, which fills the bytes it is given; they come
// back in `output`. False, with `failure` saying how the child ended ("it was
// killed by signal 11"), where the child did not hand back all of its output.
// A child still running after `limit` is stuck: it is killed and tried once
// more, since a child can stall on a lock that another thread of the program
// held when it was forked (the sanitizers' allocator is not safe across a
// fork); a second one that stalls is "it did not finish within N ms". Where
// no child can be started, `work` runs in this process.
bool RunInChildProcess(const std::function<void(std::string& output)>& work, std::chrono::milliseconds limit,
                       std::string& output, std::string& failure);

}  // namespace compat::d3dx9
