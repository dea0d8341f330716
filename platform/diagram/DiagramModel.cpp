#include "platform/diagram/DiagramModel.h"

namespace platform::diagram {

void DiagramModel::Clear() {
    m_linkByKey.clear();
    m_shapeByKey.clear();
    m_index.clear();
    m_links.clear();
    m_shapes.clear();
    ++m_generation;
}

Shape& DiagramModel::AddShape(const std::string& text, double left, double top, double width,
                              double height, const std::string& key) {
    if (!key.empty() && m_shapeByKey.count(key))
        throw DuplicateKey("A shape with key '" + key + "' exists already.");
    auto s = std::make_unique<Shape>();
    s->key = key;
    s->text = text;
    s->left = left;
    s->top = top;
    s->width = width;
    s->height = height;
    Shape& ref = *s;
    m_index.emplace(&ref, static_cast<int>(m_shapes.size()));
    m_shapes.push_back(std::move(s));
    if (!key.empty()) m_shapeByKey.emplace(key, &ref);
    return ref;
}

Link& DiagramModel::AddLink(Shape& from, Shape& to, const std::string& text, const std::string& key,
                            const std::string& fromLabel, bool fromArrow, const std::string& toLabel,
                            bool toArrow) {
    if (IndexOf(from) < 0 || IndexOf(to) < 0)
        throw std::invalid_argument("A link joins boxes of another diagram.");
    if (!key.empty() && m_linkByKey.count(key))
        throw DuplicateKey("A link with key '" + key + "' exists already.");
    auto l = std::make_unique<Link>();
    l->key = key;
    l->from = &from;
    l->to = &to;
    l->text = text;
    l->fromLabel = fromLabel;
    l->fromArrow = fromArrow;
    l->toLabel = toLabel;
    l->toArrow = toArrow;
    Link& ref = *l;
    m_links.push_back(std::move(l));
    if (!key.empty()) m_linkByKey.emplace(key, &ref);
    return ref;
}

Shape* DiagramModel::FindShape(const std::string& key) {
    auto it = m_shapeByKey.find(key);
    return it == m_shapeByKey.end() ? nullptr : it->second;
}
const Shape* DiagramModel::FindShape(const std::string& key) const {
    return const_cast<DiagramModel*>(this)->FindShape(key);
}
Link* DiagramModel::FindLink(const std::string& key) {
    auto it = m_linkByKey.find(key);
    return it == m_linkByKey.end() ? nullptr : it->second;
}
const Link* DiagramModel::FindLink(const std::string& key) const {
    return const_cast<DiagramModel*>(this)->FindLink(key);
}

int DiagramModel::IndexOf(const Shape& s) const {
    auto it = m_index.find(&s);
    return it == m_index.end() ? -1 : it->second;
}

}  // namespace platform::diagram
