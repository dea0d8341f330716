#include "platform/ui/ImageList.h"

#include "platform/ui/UIUtility.h"

namespace platform::ui {

ImageList ImageList::Load(const QStringList& keys) {
    ImageList list;
    for (const QString& key : keys) list.Add(key, QIcon(UIUtility::LoadImage(key.toStdString())));
    return list;
}

void ImageList::Add(const QString& key, const QIcon& icon) {
    if (!Has(key)) m_order << key;
    m_icons[key] = icon;
}

QIcon ImageList::Icon(const QString& key) const {
    const auto it = m_icons.find(key);
    return it == m_icons.end() ? QIcon() : it->second;
}

}  // namespace platform::ui
