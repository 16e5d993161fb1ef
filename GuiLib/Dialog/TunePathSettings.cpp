#include "TunePathSettings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "ChildProcesses.h"
#include "FileCopy.h"
#include "OperationLog.h"
#include "ProgramPaths.h"
#include "Settings.h"

namespace {

const char* const kConfigTool = "ZeltoConfig.exe";
const char* const kPatternFilter = "Pattern files(*.xml);;All files(*.*)";
const char* const kFirmwareFilter = "FW. File(*.vmx);;All files(*.*)";

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

TunePathSettings::TunePathSettings(Settings* settings, QWidget* parent)
    : QDialog(parent), _settings(settings) {
    ui.setupUi(this);
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{ui.buttonBrowseNormalVmx, ui.buttonBrowseVmx, ui.label_2,
                                         ui.label_3, ui.lineNormalVmxPath, ui.lineVmxPath}) {
        hidden->hide();
    }
    const QString folder = platform::ProgramFilePath(QStringLiteral("vmx_file"));
    ui.lineVmxPath->setText(folder + QStringLiteral("/zeltotune.vmx"));
    ui.lineNormalVmxPath->setText(folder + QStringLiteral("/normal.vmx"));
    StorePath("tune_vmx_file", ui.lineVmxPath->text());
    StorePath("normal_vmx_file", ui.lineNormalVmxPath->text());

    ConfigParameter stored;
    if (_settings->GetParameter("tune_xml_file", stored) && !stored.GetValue().empty()) {
        ui.lineXmlPath->setText(FromLocal(stored.GetValue()));
    }
    if (_settings->GetParameter("mp_version", stored)) {
        // Not a number reads as the first line; a number past the list
        // leaves no line chosen.
        ui.comboVersion->setCurrentIndex(FromLocal(stored.GetValue()).toInt(nullptr, 10));
    }

    connect(ui.buttonDownload, &QPushButton::clicked, this, &TunePathSettings::Download);
    connect(ui.buttonBrowseXml, &QPushButton::clicked, this, &TunePathSettings::SelectXmlFile);
    connect(ui.buttonBrowseVmx, &QPushButton::clicked, this, &TunePathSettings::SelectVmxFile);
    connect(ui.buttonBrowseNormalVmx, &QPushButton::clicked, this,
            &TunePathSettings::SelectNormalVmxFile);
    connect(ui.buttonCheckPattern, &QPushButton::clicked, this, &TunePathSettings::CheckPattern);
    connect(ui.buttonEnter, &QPushButton::clicked, this, &TunePathSettings::EnterTuneMode);
}

TunePathSettings::~TunePathSettings() {
    morvex_gui_qtlib::EndChildProcesses(*this);
}

QString TunePathSettings::GetMpVersion() const {
    return ui.comboVersion->currentText();
}

void TunePathSettings::StorePath(const char* key, const QString& path) {
    _settings->SetParameter(ConfigParameter(key, path.toLocal8Bit().toStdString()));
}

void TunePathSettings::SaveSettings() {
    _settings->Save(platform::ConfigFilePath().toLocal8Bit().constData());
}

void TunePathSettings::SelectXmlFile() {
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Select Pattern Xml File..."), ui.lineXmlPath->text(),
                                     QString::fromLatin1(kPatternFilter));
    if (!file.isEmpty()) {
        ui.lineXmlPath->setText(file);
    }
}

bool TunePathSettings::PickFirmwareFile(const QString& title, QLineEdit* line, const char* key) {
    const QString file = QFileDialog::getOpenFileName(this, title, QDir::currentPath(),
                                                      QString::fromLatin1(kFirmwareFilter));
    if (file.isEmpty()) {
        return false;
    }
    line->setText(file);
    StorePath(key, file);
    return true;
}

void TunePathSettings::SelectVmxFile() {
    PickFirmwareFile(tr("Select Tune FW. Vmx File..."), ui.lineVmxPath, "tune_vmx_file");
}

void TunePathSettings::SelectNormalVmxFile() {
    if (PickFirmwareFile(tr("Select Normal FW. Vmx File..."), ui.lineNormalVmxPath,
                         "normal_vmx_file")) {
        LOG4CPLUS_INFO(OperationLogger(), "Select normal vmx file");
    }
}

// The tool runs beside the program; the dialog neither waits for it nor
// reads its result, only its failure.
void TunePathSettings::CheckPattern() {
    if (ui.lineXmlPath->text().isEmpty()) {
        QMessageBox::warning(this, tr("Start ZeltoConfig Fail..."),
                             tr("Please input the pattern file path first!"), QMessageBox::Ok);
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Check pattern with 'Zelto Config'");
    auto* tool = new QProcess(this);
    connect(tool, &QProcess::errorOccurred, this, &TunePathSettings::SlaveConfigFail);
    tool->start(platform::ProgramFilePath(QString::fromLatin1(kConfigTool)),
                QStringList{ui.lineXmlPath->text()}, QIODevice::ReadWrite);
}

void TunePathSettings::SlaveConfigFail(QProcess::ProcessError) {
    LOG4CPLUS_INFO(OperationLogger(), "Check pattern with 'Zelto Config' fail");
    QMessageBox::warning(this, tr("Start ZeltoConfig Fail..."),
                         tr("Start ZeltoConfig.exe fail, make sure it's in the current folder!"));
}

void TunePathSettings::Download() {
    if (ui.lineXmlPath->text().isEmpty() || ui.lineNormalVmxPath->text().isEmpty() ||
        ui.lineVmxPath->text().isEmpty()) {
        QMessageBox::warning(
            this, tr("File Path set error..."),
            tr("Please input the file path above, both FW. file and Pattern file!"),
            QMessageBox::Ok);
        return;
    }
    LOG4CPLUS_INFO(OperationLogger(), "Download app&eep vmx files for tuning");
    _download = true;
    SaveSettings();
    accept();
}

void TunePathSettings::EnterTuneMode() {
    SaveSettings();
    accept();
}

void TunePathSettings::accept() {
    const QString pattern = ui.lineXmlPath->text();
    if (IsWorkingCopy(pattern)) {
        QMessageBox::warning(this, tr("File Path set error..."),
                             tr("The pattern file is the tuning working copy itself, please "
                                "select the pattern xml file."),
                             QMessageBox::Ok);
        _download = false;
        return;
    }
    if (!PlaceWorkingCopy(pattern)) {
        _download = false;
        return;
    }
    StorePath("tune_xml_file", pattern);
    QDialog::accept();
}

bool TunePathSettings::IsWorkingCopy(const QString& pattern) const {
    const QFileInfo source(pattern);
    return !pattern.isEmpty() && source.exists() &&
           source.canonicalFilePath() ==
               QFileInfo(platform::ProgramFilePath(QStringLiteral("tune_xml.tmp")))
                   .canonicalFilePath();
}

// The working copy is replaced only by a complete copy of the pattern. One
// that cannot be made leaves the working copy as it was and the dialog open,
// so tuning never starts on an older pattern.
bool TunePathSettings::PlaceWorkingCopy(const QString& pattern) {
    if (pattern.isEmpty()) {
        return true;
    }
    QString error;
    if (!FileCopy::Replace(pattern, platform::ProgramFilePath(QStringLiteral("tune_xml.tmp")),
                           &error)) {
        QMessageBox::warning(this, tr("Copy failed..."), error, QMessageBox::Ok);
        return false;
    }
    return true;
}
