#include "ui/resources.h"

#include "store/language.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <mutex>

namespace ui {

namespace {

constexpr int kLanguages = 6; // the table's columns after the identifier: en de es fr it ru
// The table's column of each language index.
constexpr int kColumnOfLanguage[kLanguages] = { 1, 2, 3, 4, 5, 6 };

// Undoes the table's escapes: \\ for a backslash, \n for a line break, \t for a tab.
QString unescaped(const QString& cell)
{
    QString text;
    text.reserve(cell.size());
    for (int i = 0; i < cell.size(); ++i) {
        if (cell[i] == u'\\' && i + 1 < cell.size()) {
            const QChar next = cell[i + 1];
            if (next == u'\\' || next == u'n' || next == u't') {
                text += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : QChar(u'\\');
                ++i;
                continue;
            }
        }
        text += cell[i];
    }
    return text;
}

struct Table {
    QHash<unsigned, QString> strings; // by resource identifier: English id + language
};

const Table& table()
{
    static const Table loaded = [] {
        Table t;
        QFile file(QStringLiteral(":/tickwell/strings.tsv"));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            qWarning("tickwell: the string table is missing from this program");
            return t;
        }
        QTextStream in(&file);
        in.setEncoding(QStringConverter::Utf8);
        in.readLine(); // the header
        while (!in.atEnd()) {
            const QStringList cells = in.readLine().split(u'\t');
            bool ok = false;
            const unsigned id = cells.value(0).toUInt(&ok);
            if (!ok)
                continue;
            for (int language = 0; language < kLanguages; ++language) {
                const QString cell = cells.value(kColumnOfLanguage[language]);
                if (!cell.isEmpty())
                    t.strings.insert(id + unsigned(language), unescaped(cell));
            }
        }
        return t;
    }();
    return loaded;
}

void reportMissing(unsigned resourceId)
{
    static std::mutex mutex;
    static QSet<unsigned> reported;
    std::lock_guard lock(mutex);
    if (!reported.contains(resourceId)) {
        reported.insert(resourceId);
        qWarning("tickwell: no string %u in the string table", resourceId);
    }
}

} // namespace

QString text(unsigned englishId) { return text(englishId, store::currentLanguage()); }

QString text(unsigned englishId, unsigned language)
{
    const auto& strings = table().strings;
    const auto found = strings.constFind(englishId + language);
    if (found != strings.constEnd())
        return *found;
    reportMissing(englishId + language);
    return QStringLiteral("[%1]").arg(englishId + language);
}

bool hasText(unsigned englishId, unsigned language) { return table().strings.contains(englishId + language); }

QStringList splitList(const QString& listString)
{
    QStringList entries = listString.split(u'\\');
    // "a\b\." and "a\b\" both end in an entry that is only the end marker.
    if (!entries.isEmpty() && (entries.last() == QStringLiteral(".") || entries.last().isEmpty()))
        entries.removeLast();
    return entries;
}

QStringList list(unsigned englishId) { return splitList(text(englishId)); }

QStringList list(unsigned englishId, unsigned language) { return splitList(text(englishId, language)); }

} // namespace ui
