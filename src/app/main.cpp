// The program's entry. The command line is read without Qt; the window, with
// all of Qt's GUI libraries, lives in a module loaded only when a window is
// to be opened, so that --convert, --list, --help and --version start as
// fast as a small C program.
#include "app/command_line.h"

#include <dlfcn.h>
#include <unistd.h>

#include <ext/stdio_filebuf.h>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#ifndef PIMOKO_WINDOW_MODULE_DIR
#define PIMOKO_WINDOW_MODULE_DIR "."
#endif

namespace {

constexpr const char* kWindowModule = "pimoko-window.so";

using RunWindow = int (*)(int argc, char** argv, int fileCount, const char* const* files);

// The folder of the running program file.
std::string programFolder()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || std::size_t(length) >= path.size())
        return ".";
    path.resize(std::size_t(length));
    return path.substr(0, path.rfind('/'));
}

// The window module: beside the program in the build folder, in the
// library folder once installed.
void* loadWindowModule(std::string& failure)
{
    const std::string folder = programFolder();
    for (const std::string& candidate : {folder + '/' + kWindowModule,
                                         folder + '/' + PIMOKO_WINDOW_MODULE_DIR + '/' + kWindowModule}) {
        if (::access(candidate.c_str(), F_OK) != 0)
            continue;
        // Lazily bound: the window's calls into Qt are resolved when first
        // made, and Qt's own libraries bind the same way.
        if (void* module = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL))
            return module;
        failure = ::dlerror();
        return nullptr;
    }
    failure = std::string(kWindowModule) + " is not beside the program nor in " + folder + '/' + PIMOKO_WINDOW_MODULE_DIR;
    return nullptr;
}

int openWindow(const char* programName, const pimoko::CommandLine& commandLine)
{
    std::string failure;
    void* module = loadWindowModule(failure);
    auto run = module ? reinterpret_cast<RunWindow>(::dlsym(module, "pimoko_run_window")) : nullptr;
    if (!run) {
        std::fprintf(stderr, "pimoko: cannot load the window: %s\n", module ? ::dlerror() : failure.c_str());
        return 1;
    }
    std::vector<std::string> qtArguments{programName};
    qtArguments.insert(qtArguments.end(), commandLine.qtArguments.begin(), commandLine.qtArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    std::vector<const char*> files;
    for (const std::string& file : commandLine.files)
        files.push_back(file.c_str());
    return run(int(qtArguments.size()), qtArgv.data(), int(files.size()), files.data());
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const pimoko::CommandLine commandLine = pimoko::parseCommandLine(arguments);
    if (commandLine.action != pimoko::CommandLine::Action::OpenWindow) {
        // Streams of the command line's own: <iostream>'s std::cout and
        // std::cerr would be set up, with the standard library's locales,
        // before main in every run, the window's too.
        __gnu_cxx::stdio_filebuf<char> outBuf(STDOUT_FILENO, std::ios::out);
        __gnu_cxx::stdio_filebuf<char> errBuf(STDERR_FILENO, std::ios::out);
        std::ostream out(&outBuf);
        std::ostream err(&errBuf);
        err.setf(std::ios::unitbuf);
        return pimoko::runCommandLine(commandLine, out, err);
    }
    return openWindow(argv[0], commandLine);
}
