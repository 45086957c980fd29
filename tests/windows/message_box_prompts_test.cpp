// The real prompts: message boxes with the core's text, caption, icon and buttons, owned by the
// window, answering with the button pressed; file dialogs that return the chosen path.
#include "window_rig.h"
#include "windows/message_box_prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>

namespace fenwick::testing {

class MessageBoxPromptsTest final : public QObject {
    Q_OBJECT

private slots:
    void boxShowsTheTextAndAnswersTheButton_data();
    void boxShowsTheTextAndAnswersTheButton();
    void fileDialogsReturnTheChosenPath_data();
    void fileDialogsReturnTheChosenPath();
};

using Icon = UserPrompts::Icon;
using Buttons = UserPrompts::Buttons;
using Answer = UserPrompts::Answer;

void MessageBoxPromptsTest::boxShowsTheTextAndAnswersTheButton_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("boxIcon");
    QTest::addColumn<QStringList>("boxButtons");
    QTest::addColumn<int>("answer");

    QTest::newRow("error, OK") << int(Icon::Error) << int(Buttons::Ok) << int(QMessageBox::Ok)
                               << int(QMessageBox::Critical) << QStringList{QStringLiteral("OK")}
                               << int(Answer::Ok);
    QTest::newRow("information, OK")
        << int(Icon::Information) << int(Buttons::Ok) << int(QMessageBox::Ok)
        << int(QMessageBox::Information) << QStringList{QStringLiteral("OK")} << int(Answer::Ok);
    QTest::newRow("warning, Cancel")
        << int(Icon::Warning) << int(Buttons::OkCancel) << int(QMessageBox::Cancel)
        << int(QMessageBox::Warning) << QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}
        << int(Answer::Cancel);
    QTest::newRow("warning, OK") << int(Icon::Warning) << int(Buttons::OkCancel)
                                 << int(QMessageBox::Ok) << int(QMessageBox::Warning)
                                 << QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}
                                 << int(Answer::Ok);
    QTest::newRow("question, Yes")
        << int(Icon::Question) << int(Buttons::YesNo) << int(QMessageBox::Yes)
        << int(QMessageBox::Question) << QStringList{QStringLiteral("&No"), QStringLiteral("&Yes")}
        << int(Answer::Yes);
    QTest::newRow("question, No") << int(Icon::Question) << int(Buttons::YesNo)
                                  << int(QMessageBox::No) << int(QMessageBox::Question)
                                  << QStringList{QStringLiteral("&No"), QStringLiteral("&Yes")}
                                  << int(Answer::No);
}

void MessageBoxPromptsTest::boxShowsTheTextAndAnswersTheButton() {
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, boxIcon);
    QFETCH(QStringList, boxButtons);
    QFETCH(int, answer);

    // A text with a trailing blank and markup characters, which must show as it stands.
    const QString text = QStringLiteral("It will cause the application fail <b>\n ");
    const QString caption = QStringLiteral(" Error");
    QWidget owner;
    MessageBoxPrompts prompts;
    prompts.SetOwner(&owner);

    bool seen = false;
    const QWidget* seenParent = nullptr;
    QString seenText;
    QString seenCaption;
    int seenIcon = -1;
    Qt::TextFormat seenFormat = Qt::AutoText;
    QStringList seenButtons;
    Answer given = Answer::Cancel;
    OnNextModal([&] { given = prompts.MessageBox(text, caption, Icon(icon), Buttons(buttons)); },
                [&](QWidget& modal) {
                    auto* box = qobject_cast<QMessageBox*>(&modal);
                    if (box == nullptr) {
                        return;
                    }
                    seen = true;
                    seenParent = box->parentWidget();
                    seenText = box->text();
                    seenCaption = box->windowTitle();
                    seenIcon = box->icon();
                    seenFormat = box->textFormat();
                    for (const QAbstractButton* button : box->buttons()) {
                        seenButtons << button->text();
                    }
                    seenButtons.sort();
                    if (QAbstractButton* button = box->button(QMessageBox::StandardButton(press))) {
                        button->click();
                    }
                });

    QVERIFY(seen);
    QCOMPARE(seenParent, &owner);
    QCOMPARE(seenText, text);
    QCOMPARE(seenFormat, Qt::PlainText);
    QCOMPARE(seenCaption, caption);
    QCOMPARE(seenIcon, boxIcon);
    QCOMPARE(seenButtons, boxButtons);
    QCOMPARE(int(given), answer);
}

void MessageBoxPromptsTest::fileDialogsReturnTheChosenPath_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("choose");
    QTest::newRow("save, chosen") << true << true;
    QTest::newRow("save, cancelled") << true << false;
    QTest::newRow("open, chosen") << false << true;
    QTest::newRow("open, cancelled") << false << false;
}

void MessageBoxPromptsTest::fileDialogsReturnTheChosenPath() {
    QFETCH(bool, save);
    QFETCH(bool, choose);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // Saving goes to a new file (an existing one would be confirmed first); opening needs one.
    const QString chosen = folder.filePath(QStringLiteral("chosen.cfg"));
    if (!save) {
        QFile existing(chosen);
        QVERIFY(existing.open(QIODevice::WriteOnly));
    }
    const QString filter = QStringLiteral("config File (*.cfg)");
    const QString proposed = save ? QStringLiteral("Default.cfg") : QStringLiteral("monitor.cfg");
    MessageBoxPrompts prompts;

    bool seen = false;
    QFileDialog::AcceptMode seenMode = {};
    QFileDialog::FileMode seenFileMode = {};
    bool seenConfirmsOverwrite = false;
    QStringList seenFilters;
    QString seenProposal;
    QString given;
    OnNextModal(
        [&] {
            given = save ? prompts.SaveFileName(filter, proposed)
                         : prompts.OpenFileName(filter, proposed);
        },
        [&](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            if (dialog == nullptr) {
                return;
            }
            seen = true;
            seenMode = dialog->acceptMode();
            seenFileMode = dialog->fileMode();
            seenConfirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            seenFilters = dialog->nameFilters();
            seenProposal = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            if (choose) {
                dialog->selectFile(chosen);
                // QFileDialog's own accept is protected; it is reached through QDialog's.
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->reject();
            }
        });

    QVERIFY(seen);
    QCOMPARE(seenMode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QCOMPARE(seenFileMode, save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QVERIFY(seenConfirmsOverwrite);
    QCOMPARE(seenFilters, QStringList{filter});
    QCOMPARE(seenProposal, proposed);
    QCOMPARE(given, choose ? chosen : QString());
}

} // namespace fenwick::testing

int RunMessageBoxPromptsTests(int argc, char** argv) {
    fenwick::testing::MessageBoxPromptsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "message_box_prompts_test.moc"
