#include "runtimeprobe.h"

#include "app/runtime.h"

RuntimeProbe::RuntimeProbe()
{
    Runtime::reset();
    Runtime::setMessageBoxHook([this](const QString &prompt, const QString &title) {
        prompts << prompt;
        titles << title;
    });
    Runtime::setEndHook([this](int exitStatus) {
        ended = true;
        status = exitStatus;
    });
}

RuntimeProbe::~RuntimeProbe()
{
    Runtime::reset();
    Runtime::setMessageBoxHook({});
    Runtime::setEndHook({});
}
