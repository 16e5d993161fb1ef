#include "FileRegistry.h"

#include <QFile>

#include "WholeFileWriter.h"

namespace platform {

namespace {

bool IsBelow(const QString& key, const QString& parent) {
    return key.startsWith(parent + QLatin1Char('\\'), Qt::CaseInsensitive);
}

int FindValue(const QList<RegistryValue>& values, const QString& name) {
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

FileRegistry::FileRegistry(QString path) : _path(std::move(path)) {}

bool FileRegistry::ReadValues(const QString& key, QList<RegistryValue>* values) const {
    const QString wanted = NormalizeKey(key);
    QList<Section> sections;
    Load(sections);
    const int index = FindSection(sections, wanted);
    if (index >= 0) {
        *values = sections[index].values;
        return true;
    }
    // A key that only has children exists too.
    for (const Section& section : sections) {
        if (IsBelow(section.key, wanted)) {
            values->clear();
            return true;
        }
    }
    return false;
}

QStringList FileRegistry::SubKeys(const QString& key) const {
    const QString parent = NormalizeKey(key);
    QStringList children;
    QList<Section> sections;
    Load(sections);
    for (const Section& section : sections) {
        if (!IsBelow(section.key, parent)) {
            continue;
        }
        const QString child = section.key.mid(parent.size() + 1).section(QLatin1Char('\\'), 0, 0);
        if (!child.isEmpty() && !children.contains(child, Qt::CaseInsensitive)) {
            children.append(child);
        }
    }
    return children;
}

bool FileRegistry::WriteValue(const QString& key, const QString& name, const QString& data,
                              QString* error) {
    const QString wanted = NormalizeKey(key);
    QList<Section> sections;
    if (!Load(sections, error)) {
        return false;
    }
    int index = FindSection(sections, wanted);
    if (index < 0) {
        sections.append(Section{wanted, {}});
        index = sections.size() - 1;
    }
    QList<RegistryValue>& values = sections[index].values;
    const int existing = FindValue(values, name);
    if (existing >= 0) {
        values[existing].data = data;
    } else {
        values.append(RegistryValue{name, data});
    }
    return Store(sections, error);
}

bool FileRegistry::RemoveValue(const QString& key, const QString& name, QString* error) {
    QList<Section> sections;
    if (!Load(sections, error)) {
        return false;
    }
    const int index = FindSection(sections, NormalizeKey(key));
    const int existing = index < 0 ? -1 : FindValue(sections[index].values, name);
    if (existing < 0) {
        return true;
    }
    sections[index].values.removeAt(existing);
    return Store(sections, error);
}

// A file that is not there is an empty registry; one that is there but cannot
// be read is not, and must never be rewritten from nothing.
bool FileRegistry::Load(QList<Section>& sections, QString* error) const {
    QFile file(_path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (!opened && !file.exists()) {
        return true;
    }
    const QByteArray text = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        if (error != nullptr) {
            *error = _path + QStringLiteral(": cannot be read: ") + file.errorString();
        }
        return false;
    }
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append(Section{NormalizeKey(line.mid(1, line.size() - 2).trimmed()), {}});
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || sections.isEmpty()) {
            continue;  // a line that is neither a section nor an entry of one
        }
        sections.last().values.append(
            RegistryValue{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return true;
}

bool FileRegistry::Store(const QList<Section>& sections, QString* error) const {
    QByteArray text;
    for (const Section& section : sections) {
        text += '[' + section.key.toUtf8() + "]\n";
        for (const RegistryValue& value : section.values) {
            text += value.name.toUtf8() + '=' + value.data.toUtf8() + '\n';
        }
        text += '\n';
    }
    return WholeFileWriter::Save(_path, text, error);
}

int FileRegistry::FindSection(const QList<Section>& sections, const QString& key) {
    for (int i = 0; i < sections.size(); ++i) {
        if (sections[i].key.compare(key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace platform
