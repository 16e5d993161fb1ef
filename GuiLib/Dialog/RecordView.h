#pragma once

#include <QDialog>
#include <QString>

#include "ui_RecordView.h"

// Lists the records of bridge data ("*.log" in the program's "RecordFiles"
// folder) and shows the one picked in the list.
class RecordView : public QDialog {
    Q_OBJECT
public:
    explicit RecordView(QWidget* parent);

    // The folder that holds the records.
    static QString Folder();
    // Larger files are refused: the viewer shows records, not arbitrary logs.
    static constexpr qint64 kMaximumFileSize = 1048576;

    Ui::RecordView& Form() { return ui; }

private slots:
    void DisplayFiles(int row);
    void RenovateList();

private:
    void ListLogFiles();
    void ConnectList();
    void ShowError(const char* text);

    Ui::RecordView ui;
    // Counts the files that started showing: a file being shown stops
    // as soon as another one (or a refresh) takes the browser over.
    unsigned _display = 0;
};
