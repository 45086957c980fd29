// Passwords for fenwickctl, never from the command line: the first line of a file, a variable
// of the environment, or asked on the terminal without echo.
#pragma once

#include <QString>
#include <optional>

namespace fenwick::ctl {

struct SecretSource {
    QString file;          // a file whose first line is the secret; empty: none given
    const char* variable;  // the environment variable that may hold it
    QString prompt;        // asked on the terminal with this when neither gives it
    bool askTwice = false; // a new password is typed twice
};

struct Secret {
    std::optional<QString> value; // nothing: `problem` says why
    QString problem;
    // The second typing when asked twice (the core judges whether they agree); else `value`.
    QString confirmation;
};

// The file wins over the variable (a set variable may be empty: an empty password); the
// terminal is asked only when standard input is one.
Secret ReadSecret(const SecretSource& source, const QString& missingText);

} // namespace fenwick::ctl
