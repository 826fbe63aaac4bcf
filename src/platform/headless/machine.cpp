#include "platform/headless/machine.hpp"

namespace instalator::platform {

RunOutcome HeadlessMachine::Run(const std::function<int(Platform&)>& entry) {
    Platform platform = GetPlatform();
    RunOutcome outcome;
    ui.StartProcess();
    try {
        outcome.exitCode = entry(platform);
    } catch (const InstallerEnded& ended) {
        outcome.end = RunOutcome::End::EndInstaller;
        outcome.exitCode = ended.exitCode;
        outcome.where = ended.where;
    } catch (const ScriptFailure& failure) {
        throw HeadlessRunError(failure.message);
    }
    if (!ui.PendingSteps().empty()) {
        std::string message = "the run ended with script steps unused:";
        for (const Step& step : ui.PendingSteps()) message += "\n  " + step.Describe();
        throw HeadlessRunError(message);
    }
    return outcome;
}

}  // namespace instalator::platform
