// How the user chooses files (MultiSelect) and the order the lists show names in (SortOrder).
#include <cstdint>

#include "control/selvane.h"

namespace selvane {

std::int32_t Selvane::MultiSelect() { return static_cast<std::int32_t>(surface_.List1().Selection()); }

void Selvane::ApplyMultiSelect(std::int32_t mode) {
    if (mode < 0 || mode > static_cast<std::int32_t>(SelectionMode::kExtend)) Raise(errc::kInvalidPropertyValue);
    surface_.List1().SetSelection(static_cast<SelectionMode>(mode));
}

// The file with the caret stays chosen; going back to one file unchooses the others, and the
// host hears no Click for it: the user changed nothing.
void Selvane::SetMultiSelect(std::int32_t mode) {
    ApplyMultiSelect(mode);
    site_.PropertyChanged(members::kMultiSelect);
}

std::int32_t Selvane::SortOrder() { return static_cast<std::int32_t>(m_SortOrder); }

// Both lists sort what they hold again, without reading the disk.
void Selvane::ApplySortOrder(std::int32_t order) {
    if (order < 0 || order > static_cast<std::int32_t>(NameOrder::kNumbersAsNumbers)) Raise(errc::kInvalidPropertyValue);
    m_SortOrder = static_cast<NameOrder>(order);
    surface_.List1().SetOrder(m_SortOrder);
    surface_.Dir1().SetOrder(m_SortOrder);
}

void Selvane::SetSortOrder(std::int32_t order) {
    ApplySortOrder(order);
    site_.PropertyChanged(members::kSortOrder);
}

}  // namespace selvane
