// The program's entry. The command line is read without Qt; the window, with
// all of Qt's GUI libraries, lives in a module loaded only when a window is
// to be opened, so that the verbs (--convert, --pack, --replace, --unpack,
// --list, --thumbnail, --help and --version) start as fast as a small C
// program.
#include "app/cli/command_line.h"
#include "app/cli/window_platform.h"
#include "files/codec/system_reason.h"

#include <dlfcn.h>
#include <unistd.h>

#include <ext/stdio_filebuf.h>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <ostream>
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
        // Lazily bound: the window's calls into Qt are resolved when first
        // made, and Qt's own libraries bind the same way.
        if (void* module = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL))
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
        std::fputs("pimoko: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "--convert and --list work without one\n",
                   stderr);
        return pimoko::ExitRefused;
    }
    std::string failure;
    void* module = loadWindowModule(failure);
    auto run = module ? reinterpret_cast<RunWindow>(::dlsym(module, "pimoko_run_window")) : nullptr;
    if (!run) {
        std::fprintf(stderr, "pimoko: cannot load the window: %s\n", module ? ::dlerror() : failure.c_str());
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
int finishStandardOutput(int status, std::ostream& out, std::ostream& err)
{
    // errno is what the failed write left (cleared before the verb ran);
    // EIO when the stream does not say.
    out.flush();
    if (out.good())
        return status;
    const int error = errno;
    err << "pimoko: cannot write to standard output: " << pimoko::systemReasonText(error ? error : EIO) << '\n';
    return pimoko::ExitCannotWrite;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const pimoko::CommandLine commandLine = pimoko::parseCommandLine(arguments);
    if (!commandLine.opensWindow()) {
        // Streams of the command line's own: <iostream>'s std::cout and
        // std::cerr would be set up, with the standard library's locales,
        // before main in every run, the window's too.
        __gnu_cxx::stdio_filebuf<char> outBuf(STDOUT_FILENO, std::ios::out);
        __gnu_cxx::stdio_filebuf<char> errBuf(STDERR_FILENO, std::ios::out);
        std::ostream out(&outBuf);
        std::ostream err(&errBuf);
        err.setf(std::ios::unitbuf);
        errno = 0;
        return finishStandardOutput(pimoko::runCommandLine(commandLine, out, err), out, err);
    }
    return openWindow(argv[0], commandLine);
}
