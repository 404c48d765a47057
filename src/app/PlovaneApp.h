#pragma once

namespace plovane {

// The process's entry: sets up Qt, the settings store and the termination signals,
// installs the application delegate and runs the event loop until the user quits or the
// system asks the process to end.
class PlovaneApp {
public:
    static int main(int argc, char** argv);
};

} // namespace plovane
