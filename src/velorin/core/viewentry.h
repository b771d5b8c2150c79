#pragma once

// What a view keeps per shown entry: a pointer to the collection's object
// (never owned) and the view's own selection and focus flags. The named
// wrappers of the views (KivViewPhotoFile and its sisters) derive from it and
// add the accessor names of their element.
template <class Element>
class ViewEntry
{
public:
    Element* element() const { return m_element; }
    void setElement(Element* e) { m_element = e; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isSelected() const { return m_selected; }
    void setFocus(bool focus) { m_focus = focus; }
    bool isFocus() const { return m_focus; }

private:
    Element* m_element = nullptr;
    bool m_selected = false;
    bool m_focus = false;
};
