#pragma once

namespace plovane {

// What the process needs before anything else runs.
namespace processSetup {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so the first file,
// socket or X connection opened later never lands on one of them (and log lines never
// go into it). False when one stays closed.
bool ensureStandardDescriptors();

// A reader that went away (a closed terminal, a log pipe whose end quit, a knock client
// that hung up) makes the write fail with EPIPE instead of ending the process.
void ignoreBrokenPipes();

} // namespace processSetup
} // namespace plovane
