// The value-type list of the panels and tools as a combo box (the texts are the value texts' own,
// services/valuetext.h).
#pragma once

class QComboBox;

namespace valuetext {

// Clears the combo box, adds the 22 type texts in order and selects "BSTR".
void fillValueTypeList(QComboBox *combo);

} // namespace valuetext
