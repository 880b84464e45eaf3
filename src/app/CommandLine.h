#pragma once

#include <QString>
#include <QStringList>

// The command line, read before the application object exists, so that --help, --version and a
// mistyped option need no display. Qt's own options (-platform, -display, -style, ...) are let
// through for Qt to take.
namespace CommandLine {

enum class Request { Run, Help, Version, Error };

struct Parsed
{
    Request request = Request::Run;
    bool fromMenu = false; // --from-menu: work in the Clips folder of the home folder
    QString error; // for Request::Error: what was wrong, one line
};

// arguments: the whole command line, program name first.
Parsed parse(const QStringList& arguments);
Parsed parse(int argc, char** argv);

// The text of --help; an error prints it to standard error after its one line.
QString usage();

// Prints what the request asks for and returns the exit code: 0 for help and version, 2 for an
// error. Not for Request::Run.
int answer(const Parsed& parsed);

} // namespace CommandLine
