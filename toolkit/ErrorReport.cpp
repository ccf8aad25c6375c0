#include "toolkit/ErrorReport.h"

namespace
{
std::function<void(const std::string&)>& Reporter()
{
    static std::function<void(const std::string&)> reporter;
    return reporter;
}
} // namespace

void ReportError(const std::string& message)
{
    if (Reporter())
        Reporter()(message);
}

void SetErrorReporter(std::function<void(const std::string& message)> reporter)
{
    Reporter() = std::move(reporter);
}
