// A script's boxes: none waits, a question is answered with the choice that changes nothing,
// and each box is reported once, in order.
#include "ctl/script_prompts.h"

#include <gtest/gtest.h>

namespace fenwick::ctl {
namespace {

using Answer = UserPrompts::Answer;
using Buttons = UserPrompts::Buttons;
using Icon = UserPrompts::Icon;

TEST(ScriptPrompts, AnswersQuestionsWithTheChoiceThatChangesNothing) {
    ScriptPrompts prompts;
    struct Case {
        Buttons buttons;
        Answer answer;
    };
    const Case cases[] = {
        {Buttons::Ok, Answer::Ok},
        {Buttons::OkCancel, Answer::Cancel},
        {Buttons::YesNo, Answer::No},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            prompts.MessageBox(QStringLiteral("t"), QStringLiteral("c"), Icon::Question, c.buttons),
            c.answer);
    }
    EXPECT_TRUE(prompts.OpenFileName(QStringLiteral("*.hex"), QStringLiteral("a.hex")).isEmpty());
    EXPECT_TRUE(prompts.SaveFileName(QStringLiteral("*.cfg"), QStringLiteral("m.cfg")).isEmpty());
}

TEST(ScriptPrompts, ReportsEachBoxOnceInOrder) {
    ScriptPrompts prompts;
    prompts.MessageBox(QStringLiteral("first"), QStringLiteral("Error"), Icon::Error);
    prompts.MessageBox(QStringLiteral("second"), QStringLiteral("Information"), Icon::Information);
    std::vector<ScriptPrompts::Box> fresh = prompts.TakeNew();
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh[0].text, QStringLiteral("first"));
    EXPECT_EQ(fresh[0].icon, Icon::Error);
    EXPECT_EQ(fresh[1].caption, QStringLiteral("Information"));
    EXPECT_TRUE(prompts.TakeNew().empty());
    prompts.MessageBox(QStringLiteral("third"), QStringLiteral("Warning"), Icon::Warning);
    fresh = prompts.TakeNew();
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].text, QStringLiteral("third"));
    EXPECT_EQ(prompts.Boxes().size(), 3u) << "every box kept for the outcome";
}

} // namespace
} // namespace fenwick::ctl
