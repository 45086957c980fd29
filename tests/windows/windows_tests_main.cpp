// Runs the window tests in one application object, as the offscreen platform allows one.
#include <QApplication>

int RunConfigDialogsTests(int argc, char** argv);
int RunFirmwareUpgradeDlgTests(int argc, char** argv);
int RunIpAddressEditTests(int argc, char** argv);
int RunKestrelDlgTests(int argc, char** argv);
int RunMessageBoxPromptsTests(int argc, char** argv);
int RunMonitoringCommandsTests(int argc, char** argv);
int RunReportListTests(int argc, char** argv);
int RunTrapInfoDlgTests(int argc, char** argv);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunConfigDialogsTests(argc, argv);
    failures += RunFirmwareUpgradeDlgTests(argc, argv);
    failures += RunIpAddressEditTests(argc, argv);
    failures += RunKestrelDlgTests(argc, argv);
    failures += RunMessageBoxPromptsTests(argc, argv);
    failures += RunMonitoringCommandsTests(argc, argv);
    failures += RunReportListTests(argc, argv);
    failures += RunTrapInfoDlgTests(argc, argv);
    return failures;
}
