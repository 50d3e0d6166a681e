#include "common/pagetitles.h"

#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace qh {

namespace {
constexpr qsizetype kMaxTitles = 4000;
constexpr qsizetype kMaxAddressLength = 2048;
constexpr qsizetype kMaxTitleLength = 512;
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
const QString kTitlesKey = u"titles"_s;
} // namespace

QString pageTitlesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/quillharbour/page-titles.json"_s;
}

PageTitles PageTitles::load(const QString& path)
{
    PageTitles titles;
    const FileBytes file = readWholeFile(path, kMaxFileBytes);
    if (file.status != FileStatus::Ok)
        return titles;
    const QJsonArray pairs = QJsonDocument::fromJson(file.bytes).object().value(kTitlesKey).toArray();
    // Read oldest first, so that remember() puts each in front and a repeated address keeps its newest title.
    for (qsizetype i = pairs.size() - 1; i >= 0; --i) {
        const QJsonArray pair = pairs.at(i).toArray();
        titles.remember(pair.at(0).toString(), pair.at(1).toString());
    }
    return titles;
}

bool PageTitles::save(const QString& path) const
{
    QList<QPair<quint64, QString>> byAge;
    for (auto it = m_titles.cbegin(); it != m_titles.cend(); ++it)
        byAge.append({it->age, it.key()});
    std::sort(byAge.begin(), byAge.end(), std::greater<>());
    QJsonArray pairs;
    for (qsizetype i = 0; i < byAge.size() && i < kMaxTitles; ++i)
        pairs.append(QJsonArray{byAge[i].second, m_titles.value(byAge[i].second).title});
    const QByteArray bytes = QJsonDocument(QJsonObject{{kTitlesKey, pairs}}).toJson(QJsonDocument::Compact);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString PageTitles::title(const QString& address) const
{
    return m_titles.value(address).title;
}

void PageTitles::remember(const QString& address, const QString& title)
{
    if (address.isEmpty() || address.size() > kMaxAddressLength || title.trimmed().isEmpty())
        return;
    m_titles.insert(address, {title.left(kMaxTitleLength), m_nextAge++});
    // Pruned in batches, so that remembering a whole long list stays cheap.
    if (m_titles.size() > 2 * kMaxTitles)
        keepNewest(kMaxTitles);
}

void PageTitles::keepNewest(qsizetype count)
{
    QList<quint64> ages;
    ages.reserve(m_titles.size());
    for (const Entry& entry : std::as_const(m_titles))
        ages.append(entry.age);
    std::nth_element(ages.begin(), ages.begin() + (ages.size() - count), ages.end());
    const quint64 oldestKept = ages[ages.size() - count];
    m_titles.removeIf([oldestKept](const auto& it) { return it.value().age < oldestKept; });
}

} // namespace qh
