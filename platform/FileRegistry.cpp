#include "FileRegistry.h"

#include <QFile>
#include <QSaveFile>

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

void FileRegistry::WriteValue(const QString& key, const QString& name, const QString& data) {
    const QString wanted = NormalizeKey(key);
    QList<Section> sections;
    if (!Load(sections)) {
        return;
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
    Store(sections);
}

void FileRegistry::RemoveValue(const QString& key, const QString& name) {
    QList<Section> sections;
    if (!Load(sections)) {
        return;
    }
    const int index = FindSection(sections, NormalizeKey(key));
    if (index < 0) {
        return;
    }
    const int existing = FindValue(sections[index].values, name);
    if (existing >= 0) {
        sections[index].values.removeAt(existing);
        Store(sections);
    }
}

// A file that is not there is an empty registry; one that is there but cannot
// be read is not, and must never be rewritten from nothing.
bool FileRegistry::Load(QList<Section>& sections) const {
    QFile file(_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return !file.exists();
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
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

void FileRegistry::Store(const QList<Section>& sections) const {
    QByteArray text;
    for (const Section& section : sections) {
        text += '[' + section.key.toUtf8() + "]\n";
        for (const RegistryValue& value : section.values) {
            text += value.name.toUtf8() + '=' + value.data.toUtf8() + '\n';
        }
        text += '\n';
    }
    QSaveFile file(_path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text);
        file.commit();
    }
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
