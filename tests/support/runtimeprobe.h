#pragma once

#include <QString>
#include <QStringList>

// Stands in for the modal message box and for the end of the process while
// a test runs, and records both.
class RuntimeProbe
{
public:
    RuntimeProbe();
    ~RuntimeProbe();

    QStringList prompts;
    QStringList titles;
    bool ended = false;
    int status = -1;
};
