#include "core/run_report.hpp"

#include "common/errors.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"

namespace instalator::core {

std::u8string_view ExitCodeMeaning(ExitCode code) {
    switch (code) {
    case ExitCode::Success: return u8"instalacja zakończona pomyślnie";
    case ExitCode::UserOrUsage: return u8"instalacja przerwana lub błędny wiersz poleceń";
    case ExitCode::PackageFault: return u8"brak pakietu instalacyjnego lub pakiet uszkodzony";
    case ExitCode::NoSpace: return u8"za mało wolnego miejsca na dysku";
    case ExitCode::WriteFailure: return u8"błąd zapisu pliku";
    case ExitCode::TargetNotCreated: return u8"nie można utworzyć katalogu docelowego";
    case ExitCode::Unexpected: return u8"nieoczekiwany błąd";
    case ExitCode::RestartNeeded:
        return u8"instalacja zakończona, pliki w użyciu zostaną zastąpione po ponownym uruchomieniu systemu";
    }
    return {};
}

void RunReport::Start(Switches switches, std::unique_ptr<platform::File> log) {
    switches_ = std::move(switches);
    log_ = std::move(log);
    if (!Reporting()) return;
    SetOutcome(ExitCode::UserOrUsage);
    noteAtEnd_.emplace(app_, [this] { NoteOutcome(); });
    app_.SetErrorListener([this](const std::string& message) {
        Note(u8"Błąd: ", message);
        SetOutcome(ExitCode::Unexpected);
    });
    if (!Silent()) return;
    app_.SetBoxAnswerer([this](const std::string& text, const std::string& caption, unsigned) -> int {
        // The default error box follows a noted error; any other box is news.
        if (outcome_ != ExitCode::Unexpected) Note(u8"Komunikat bez odpowiedzi: ", caption + ": " + text);
        SetOutcome(ExitCode::Unexpected);
        app_.EndInstaller();
    });
}

void RunReport::Note(std::u8string_view label, std::string_view detail, std::u8string_view tail) {
    if (!log_) return;
    std::string line(label.begin(), label.end());
    line += common::Utf8FromCp1250(detail);
    line.append(tail.begin(), tail.end());
    line += "\r\n";
    try {
        log_->Write(line.data(), line.size());
    } catch (const common::IoError&) {
        log_.reset();  // the disk or the medium failed: the installation goes on without a log
    }
}

void RunReport::SetOutcome(ExitCode code) {
    outcome_ = code;
    if (Reporting()) app_.SetExitCode(static_cast<int>(code));
}

void RunReport::NoteOutcome() {
    std::u8string tail = u8" (";
    tail += ExitCodeMeaning(outcome_);
    tail += u8")";
    Note(u8"Wynik: ", common::IntToText(static_cast<std::int32_t>(outcome_)), tail);
}

}  // namespace instalator::core
