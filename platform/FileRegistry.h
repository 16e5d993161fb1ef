#pragma once

#include "RegistryView.h"

namespace platform {

// The registry as an INI-shaped text file: each section is a full key path,
// each entry "value name=data". Read at every call and rewritten whole on
// every change, so several objects (and a test) can share one file. A file
// that exists but cannot be read is never rewritten.
class FileRegistry : public RegistryView {
public:
    explicit FileRegistry(QString path);

    bool ReadValues(const QString& key, QList<RegistryValue>* values) const override;
    QStringList SubKeys(const QString& key) const override;
    bool WriteValue(const QString& key, const QString& name, const QString& data,
                    QString* error = nullptr) override;
    bool RemoveValue(const QString& key, const QString& name, QString* error = nullptr);

private:
    struct Section {
        QString key;
        QList<RegistryValue> values;
    };

    // False when the file exists but cannot be read; `error` then says why.
    bool Load(QList<Section>& sections, QString* error = nullptr) const;
    bool Store(const QList<Section>& sections, QString* error) const;
    static int FindSection(const QList<Section>& sections, const QString& key);

    QString _path;
};

}  // namespace platform
