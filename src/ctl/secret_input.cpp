#include "secret_input.h"

#include "ctl/ctl_texts.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace fenwick::ctl {
namespace {

// The terminal's echo, off while a secret is typed and put back however the reading ends.
class EchoOff {
public:
    explicit EchoOff(int descriptor) : descriptor_(descriptor) {
        if (tcgetattr(descriptor_, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            restore_ = tcsetattr(descriptor_, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff() {
        if (restore_) {
            tcsetattr(descriptor_, TCSAFLUSH, &saved_);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int descriptor_;
    termios saved_{};
    bool restore_ = false;
};

// One line typed on the terminal, without its line end; nothing at the end of input.
std::optional<QString> Ask(const QString& prompt) {
    const QByteArray shown = prompt.toLocal8Bit();
    std::fwrite(shown.constData(), 1, static_cast<std::size_t>(shown.size()), stderr);
    std::fflush(stderr);
    std::string line;
    {
        const EchoOff quiet(STDIN_FILENO);
        int c = 0;
        while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
            line += static_cast<char>(c);
        }
        if (c == EOF && line.empty()) {
            std::fputc('\n', stderr);
            return std::nullopt;
        }
    }
    std::fputc('\n', stderr); // the Enter that was not echoed
    return QString::fromLocal8Bit(line);
}

QString FirstLine(const QByteArray& bytes) {
    QByteArray line = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return QString::fromLocal8Bit(line);
}

} // namespace

Secret ReadSecret(const SecretSource& source, const QString& missingText) {
    if (!source.file.isEmpty()) {
        QFile file(source.file);
        if (!file.open(QIODevice::ReadOnly)) {
            return {std::nullopt,
                    QString(texts::kSecretUnreadable).arg(source.file, file.errorString()),
                    {}};
        }
        const QString line = FirstLine(file.readAll());
        return {line, {}, line};
    }
    if (const char* value = std::getenv(source.variable); value != nullptr) {
        const QString text = QString::fromLocal8Bit(value);
        return {text, {}, text};
    }
    if (isatty(STDIN_FILENO) == 0) {
        return {std::nullopt, missingText, {}};
    }
    const std::optional<QString> typed = Ask(source.prompt);
    if (!typed) {
        return {std::nullopt, missingText, {}};
    }
    if (!source.askTwice) {
        return {typed, {}, *typed};
    }
    const std::optional<QString> again = Ask(QString(texts::kNewPasswordAgainPrompt));
    return {typed, {}, again.value_or(QString())};
}

} // namespace fenwick::ctl
