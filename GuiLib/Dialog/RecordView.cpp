#include "RecordView.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include "OperationLog.h"
#include "ProgramPaths.h"

namespace {

constexpr int kYieldMs = 100;
// Yielding after every line would spend most of the time redrawing. The line
// bound lets a row picked during a load cut it short on a fast machine too.
constexpr int kYieldEveryMs = 20;
constexpr int kYieldEveryLines = 256;
const QChar kEscape(0x1B);

// The line as shown: Latin-1, without escape characters and without its
// line end. Null when nothing but escapes was there.
QString VisibleLine(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes);
    text.remove(kEscape);
    if (text.isEmpty()) {
        return QString();
    }
    int end = static_cast<int>(text.size());
    while (end > 0 && (text[end - 1] == QLatin1Char('\n') || text[end - 1] == QLatin1Char('\r'))) {
        --end;
    }
    // Not null: an empty line with its line end still takes a paragraph.
    return text.left(end).isNull() ? QString(QLatin1String("")) : text.left(end);
}

}  // namespace

RecordView::RecordView(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    ConnectList();
    connect(ui.pushButton, &QPushButton::clicked, this, &RecordView::RenovateList);
    ListLogFiles();
}

QString RecordView::Folder() {
    return platform::ProgramFilePath(QStringLiteral("RecordFiles"));
}

void RecordView::ConnectList() {
    connect(ui.listWidget, &QListWidget::currentRowChanged, this, &RecordView::DisplayFiles,
            Qt::UniqueConnection);
}

void RecordView::ListLogFiles() {
    const QDir folder(Folder(), QStringLiteral("*.log"));
    const QStringList names = folder.entryList();
    for (int row = 0; row < names.size(); ++row) {
        ui.listWidget->insertItem(row, names[row]);
    }
}

void RecordView::DisplayFiles(int row) {
    LOG4CPLUS_INFO(OperationLogger(), "Display log file");
    const unsigned display = ++_display;
    ui.textBrowser->clear();
    const QListWidgetItem* item = ui.listWidget->item(row);
    if (item == nullptr) {
        return;
    }
    const QFileInfo info(Folder() + QLatin1Char('/') + item->text());
    if (!info.exists()) {
        ShowError("Error: This file is not exist!");
        return;
    }
    if (info.size() >= kMaximumFileSize) {
        ShowError("Error: This file's size is not support!");
        return;
    }
    QFile file(info.filePath());
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        ShowError("Error: This file can't be read!");
        return;
    }
    QElapsedTimer sinceYield;
    sinceYield.start();
    int linesSinceYield = 0;
    while (!file.atEnd()) {
        const QString line = VisibleLine(file.readLine());
        if (!line.isNull()) {
            ui.textBrowser->append(line);
        }
        if (++linesSinceYield < kYieldEveryLines && sinceYield.elapsed() < kYieldEveryMs) {
            continue;
        }
        // Stay responsive; a row change in here shows another file instead.
        QCoreApplication::processEvents(QEventLoop::AllEvents, kYieldMs);
        sinceYield.restart();
        linesSinceYield = 0;
        if (display != _display) {
            return;
        }
    }
}

void RecordView::ShowError(const char* text) {
    ui.textBrowser->clear();
    ui.textBrowser->setText(QString::fromLatin1(text));
}

void RecordView::RenovateList() {
    LOG4CPLUS_INFO(OperationLogger(), "Refresh log files list");
    ++_display;
    ui.textBrowser->clear();
    // Clearing the list must not show anything.
    disconnect(ui.listWidget, &QListWidget::currentRowChanged, this, &RecordView::DisplayFiles);
    ui.listWidget->clear();
    ConnectList();
    ListLogFiles();
}
