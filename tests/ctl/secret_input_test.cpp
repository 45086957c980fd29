// Where a password comes from: the file's first line before the variable, and without either
// and without a terminal, a clear refusal instead of a wait.
#include "ctl/secret_input.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fenwick::ctl {
namespace {

class Secrets : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv(kVariable);
        // Standard input as a script has it: no terminal to ask on.
        saved_ = dup(STDIN_FILENO);
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, STDIN_FILENO);
        close(nothing);
    }
    void TearDown() override {
        unsetenv(kVariable);
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }

    QString File(const QByteArray& bytes) {
        const QString path = folder.path() + QStringLiteral("/secret");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }

    Secret Read(const QString& file) {
        return ReadSecret({file, kVariable, QStringLiteral("Password: "), false},
                          QStringLiteral("none given"));
    }

    static constexpr const char* kVariable = "FENWICK_TEST_SECRET";
    QTemporaryDir folder;
    int saved_ = -1;
};

TEST_F(Secrets, TheFilesFirstLineWithoutItsLineEnd) {
    setenv(kVariable, "from-variable", 1);
    struct Case {
        QByteArray bytes;
        const char* secret;
    };
    const Case cases[] = {
        {"adm in\nsecond\n", "adm in"},
        {"crlf\r\nsecond", "crlf"},
        {"no line end", "no line end"},
        {"\nafter an empty line", ""},
    };
    for (const Case& c : cases) {
        const Secret secret = Read(File(c.bytes));
        ASSERT_TRUE(secret.value) << c.bytes.toStdString();
        EXPECT_EQ(*secret.value, QLatin1String(c.secret));
        EXPECT_EQ(secret.confirmation, *secret.value);
    }
}

TEST_F(Secrets, TheVariableWhenNoFileIsNamedEvenEmpty) {
    setenv(kVariable, "", 1);
    const Secret secret = Read({});
    ASSERT_TRUE(secret.value);
    EXPECT_TRUE(secret.value->isEmpty());
}

TEST_F(Secrets, NeitherWithoutATerminalIsRefusedWithAReason) {
    const Secret missing = Read({});
    EXPECT_FALSE(missing.value);
    EXPECT_EQ(missing.problem, QStringLiteral("none given"));

    const Secret unreadable = Read(folder.path() + QStringLiteral("/absent"));
    EXPECT_FALSE(unreadable.value);
    EXPECT_TRUE(unreadable.problem.startsWith(folder.path() + QStringLiteral("/absent")))
        << unreadable.problem.toStdString();
}

} // namespace
} // namespace fenwick::ctl
