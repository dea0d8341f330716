#pragma once
// Pictures under keys, as the trees and the toolbar ask for them by key.

#include <QIcon>
#include <QString>
#include <QStringList>

#include <map>

namespace platform::ui {

class ImageList {
public:
    ImageList() = default;
    // One picture per key, read with UIUtility::LoadImage(key).
    static ImageList Load(const QStringList& keys);

    void Add(const QString& key, const QIcon& icon);
    bool Has(const QString& key) const { return m_icons.count(key) != 0; }
    // The picture of the key; an empty icon for an unknown key.
    QIcon Icon(const QString& key) const;
    QStringList Keys() const { return m_order; }

private:
    std::map<QString, QIcon> m_icons;
    QStringList m_order;
};

}  // namespace platform::ui
