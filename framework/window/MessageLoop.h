// The message loop: one waiting message per pass, or, when none waits, one
// frame of every live window that is neither hidden nor minimised.
#pragma once

// Runs until the thread's quit message has been taken.
void RunMessageLoop();
