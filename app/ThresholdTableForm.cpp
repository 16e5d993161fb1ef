#include "ThresholdTableForm.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTableWidget>
#include <QTableWidgetItem>

#include "ThresholdTable.h"

QTableWidgetItem* ThresholdTableForm::FixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEditable);
    return item;
}

std::vector<int> ThresholdTableForm::CellRow(const QTableWidget* table, int row, int first,
                                             int count) {
    std::vector<int> values;
    values.reserve(count);
    for (int c = first; c < first + count; ++c) {
        const QTableWidgetItem* item = table->item(row, c);
        values.push_back(item == nullptr ? 0 : item->text().toInt(nullptr, 10));
    }
    return values;
}

bool ThresholdTableForm::Save(QWidget* parent, const QString& file,
                              const std::vector<std::vector<int> >& thresholds) {
    if (ThresholdTable::WriteFile(file, thresholds)) {
        return true;
    }
    QMessageBox::warning(parent, tr("Save Error"),
                         tr("The threshold file %1 cannot be written.").arg(file));
    return false;
}

QString ThresholdTableForm::AskImportFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, tr("Select"), QStringLiteral("."),
                                        tr("Text files (*.txt)"));
}
