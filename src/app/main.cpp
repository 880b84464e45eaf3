#include <QString>

#include "ClipError.h"
#include "CommandLine.h"
#include "ErrorBox.h"
#include "MenuLaunch.h"
#include "PlatformChoice.h"
#include "SnipwellApplication.h"
#include "StartUp.h"

#include <cxxabi.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace {

QString kindOf(const std::exception& error)
{
    const char* mangled = typeid(error).name();
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                                &std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : mangled);
}

} // namespace

int main(int argc, char* argv[])
{
    const CommandLine::Parsed command = CommandLine::parse(argc, argv);
    if (command.request != CommandLine::Request::Run)
        return CommandLine::answer(command);
    // Past a file-size limit a save must fail with its error box, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Before the application object, whose construction aborts when no platform can start.
    if (!PlatformChoice::preparePlatform(argc, argv))
        return 1;
    SnipwellApplication application(argc, argv);
    try {
        if (command.fromMenu)
            MenuLaunch::enterClipsFolder(MenuLaunch::homeFolder());
        return runSnipwell(application);
    } catch (const ClipError& error) {
        ErrorBox::showApplicationError(QStringLiteral("ClipError"), error.message());
    } catch (const std::exception& error) {
        ErrorBox::showApplicationError(kindOf(error), QString::fromUtf8(error.what()));
    }
    return 1;
}
