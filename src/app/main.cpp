// The program's entry. The command line is read without Qt; the window, with
// all of Qt's GUI libraries, lives in a module loaded only when a window is
// to be opened, so that --convert, --list, --help and --version start as
// fast as a small C program.
#include "app/cli/command_line.h"
#include "app/cli/window_platform.h"
#include "files/codec/system_reason.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifndef PIMOKO_WINDOW_MODULE_DIR
#define PIMOKO_WINDOW_MODULE_DIR "../lib/pimoko"
#endif
#ifndef PIMOKO_WINDOW_MODULE_FULL_DIR
#define PIMOKO_WINDOW_MODULE_FULL_DIR "/usr/local/lib/pimoko"
#endif

namespace {

constexpr const char* kWindowModule = "pimoko-window.so";

using RunWindow = int (*)(int argc, char** argv, int fileCount, const char* const* files);

// The folder of the running program file, when the system tells it.
std::optional<std::string> programFolder()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || std::size_t(length) >= path.size() || path[0] != '/')
        return std::nullopt;
    path.resize(std::size_t(length));
    return path.substr(0, path.rfind('/'));
}

// The window module: beside the program in the build folder, in the library
// folder beside an installed program's folder, else in the library folder of
// the prefix it was built for. Only absolute places: never the working folder.
void* loadWindowModule(std::string& failure)
{
    std::vector<std::string> folders;
    if (const std::optional<std::string> folder = programFolder())
        folders = {*folder, *folder + '/' + PIMOKO_WINDOW_MODULE_DIR};
    folders.emplace_back(PIMOKO_WINDOW_MODULE_FULL_DIR);
    for (const std::string& folder : folders) {
        const std::string candidate = folder + '/' + kWindowModule;
        if (::access(candidate.c_str(), F_OK) != 0)
            continue;
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
        failure = ::dlerror();
        return nullptr;
    }
    failure = std::string(kWindowModule) + " is not beside the program nor in " + PIMOKO_WINDOW_MODULE_FULL_DIR;
    return nullptr;
}

int openWindow(const char* programName, const pimoko::CommandLine& commandLine)
{
    const std::optional<std::string> platform =
        pimoko::chooseWindowPlatform(pimoko::displayEnvironment(), commandLine.qtArguments);
    if (!platform) {
        std::cerr << "pimoko: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "--convert and --list work without one\n";
        return pimoko::ExitRefused;
    }
    std::string failure;
    void* module = loadWindowModule(failure);
    auto run = module ? reinterpret_cast<RunWindow>(::dlsym(module, "pimoko_run_window")) : nullptr;
    if (!run) {
        std::cerr << "pimoko: cannot load the window: " << (module ? ::dlerror() : failure) << '\n';
        return pimoko::ExitRefused;
    }
    std::vector<std::string> qtArguments{programName};
    if (!platform->empty())
        qtArguments.insert(qtArguments.end(), {"-platform", *platform});
    qtArguments.insert(qtArguments.end(), commandLine.qtArguments.begin(), commandLine.qtArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    std::vector<const char*> files;
    for (const std::string& file : commandLine.operands)
        files.push_back(file.c_str());
    return run(int(qtArguments.size()), qtArgv.data(), int(files.size()), files.data());
}

// Output that never reached its reader is a failure, not a success. A
// standard output closed from the start fails only if something was written.
int closeStandardOutput(int status)
{
    errno = 0;
    std::cout.flush();
    bool written = std::cout.good() && std::fflush(stdout) == 0 && !std::ferror(stdout);
    int error = errno;
    if (written && std::fclose(stdout) != 0 && errno != EBADF) {
        written = false;
        error = errno;
    }
    if (written)
        return status;
    std::cerr << "pimoko: cannot write to standard output: " << pimoko::systemReasonText(error ? error : EIO) << '\n';
    return pimoko::ExitCannotWrite;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const pimoko::CommandLine commandLine = pimoko::parseCommandLine(arguments);
    if (!commandLine.opensWindow())
        return closeStandardOutput(pimoko::runCommandLine(commandLine, std::cout, std::cerr));
    return openWindow(argv[0], commandLine);
}
