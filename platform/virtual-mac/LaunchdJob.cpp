#include "LaunchdJob.h"

#include <cmath>

namespace brisvane {
namespace {

[[noreturn]] void invalid(const std::string& what)
{
    throw PropertyList::Error("launchd job: " + what);
}

const std::string& stringValue(const PlistValue& value, const char* key)
{
    if (value.kind != PlistValue::Kind::string)
        invalid(std::string(key) + " must be a string");
    return value.text;
}

double seconds(const PlistValue& value, const char* key)
{
    double s = value.kind == PlistValue::Kind::integer ? static_cast<double>(value.integer)
               : value.kind == PlistValue::Kind::real  ? value.real
                                                       : -1;
    if (!(s >= 0 && s <= 3600))
        invalid(std::string(key) + " must be a number of seconds from 0 to 3600");
    return s;
}

// Labels name files under var/run/launchd and var/log.
bool usableLabel(const std::string& label)
{
    return !label.empty() && label.size() <= 255 && label != "." && label != ".." &&
           label.find('/') == std::string::npos && label.find('\0') == std::string::npos;
}

} // namespace

bool LaunchdJob::restartsAfter(int exitStatus) const
{
    switch (keepAlive) {
    case KeepAlive::always:
        return true;
    case KeepAlive::afterFailure:
        return exitStatus != 0;
    case KeepAlive::afterSuccess:
        return exitStatus == 0;
    case KeepAlive::never:
        break;
    }
    return false;
}

LaunchdJob LaunchdJob::fromPlist(const PlistValue& plist)
{
    if (plist.kind != PlistValue::Kind::dict)
        invalid("the property list is not a dictionary");
    LaunchdJob job;
    const PlistValue* label = plist.find("Label");
    if (label == nullptr)
        invalid("no Label");
    job.label = stringValue(*label, "Label");
    if (!usableLabel(job.label))
        invalid("unusable Label \"" + job.label + "\"");

    if (const PlistValue* args = plist.find("ProgramArguments")) {
        if (args->kind != PlistValue::Kind::array)
            invalid("ProgramArguments must be an array");
        for (const PlistValue& arg : args->items)
            job.arguments.push_back(stringValue(arg, "ProgramArguments"));
    }
    if (const PlistValue* program = plist.find("Program"))
        job.program = stringValue(*program, "Program");
    else if (!job.arguments.empty())
        job.program = job.arguments.front();
    if (job.program.empty())
        invalid("neither Program nor ProgramArguments names a program");
    if (job.arguments.empty())
        job.arguments.push_back(job.program);

    if (const PlistValue* keepAlive = plist.find("KeepAlive")) {
        if (keepAlive->kind == PlistValue::Kind::boolean) {
            job.keepAlive = keepAlive->boolean ? KeepAlive::always : KeepAlive::never;
        } else if (keepAlive->kind == PlistValue::Kind::dict) {
            const PlistValue* successful = keepAlive->find("SuccessfulExit");
            if (successful != nullptr && successful->kind == PlistValue::Kind::boolean)
                job.keepAlive =
                    successful->boolean ? KeepAlive::afterSuccess : KeepAlive::afterFailure;
            else // conditions the virtual Mac cannot watch (paths, network) count as met
                job.keepAlive = KeepAlive::always;
        } else {
            invalid("KeepAlive must be a boolean or a dictionary");
        }
    }
    if (const PlistValue* runAtLoad = plist.find("RunAtLoad")) {
        if (runAtLoad->kind != PlistValue::Kind::boolean)
            invalid("RunAtLoad must be a boolean");
        job.runAtLoad = runAtLoad->boolean;
    }
    if (const PlistValue* env = plist.find("EnvironmentVariables")) {
        if (env->kind != PlistValue::Kind::dict)
            invalid("EnvironmentVariables must be a dictionary");
        for (const auto& [name, value] : env->entries) {
            if (name.empty() || name.find('=') != std::string::npos)
                invalid("unusable environment variable name \"" + name + "\"");
            job.environment[name] = stringValue(value, "EnvironmentVariables");
        }
    }
    if (const PlistValue* throttle = plist.find("ThrottleInterval"))
        job.throttleSeconds = seconds(*throttle, "ThrottleInterval");
    if (const PlistValue* exitTimeout = plist.find("ExitTimeOut"))
        job.exitTimeoutSeconds = seconds(*exitTimeout, "ExitTimeOut");
    return job;
}

LaunchdJob LaunchdJob::load(const std::string& path)
{
    return fromPlist(PropertyList::parseFile(path));
}

} // namespace brisvane
