// A script's boxes: none waits, a question is answered with the choice that changes nothing,
// and each box is told once, in order.
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

TEST(ScriptPrompts, TellsOfEachBoxOnceInOrderAndKeepsThemAll) {
    ScriptPrompts prompts;
    std::vector<QString> told;
    prompts.SetShownHandler([&](const ScriptPrompts::Box& box) {
        told.push_back(box.caption + u':' + box.text);
        // A command may react with a box of its own: the one being told stays intact.
        if (box.text == QStringLiteral("first")) {
            prompts.MessageBox(QStringLiteral("nested"), QStringLiteral("Warning"), Icon::Warning);
        }
    });
    prompts.MessageBox(QStringLiteral("first"), QStringLiteral("Error"), Icon::Error);
    prompts.MessageBox(QStringLiteral("second"), QStringLiteral("Information"), Icon::Information);
    EXPECT_EQ(told,
              (std::vector<QString>{QStringLiteral("Error:first"), QStringLiteral("Warning:nested"),
                                    QStringLiteral("Information:second")}));
    ASSERT_EQ(prompts.Boxes().size(), 3u) << "every box kept for the outcome";
    EXPECT_EQ(prompts.Boxes()[0].icon, Icon::Error);
    EXPECT_EQ(prompts.Boxes()[2].text, QStringLiteral("second"));
}

} // namespace
} // namespace fenwick::ctl
