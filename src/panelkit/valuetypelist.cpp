#include "valuetypelist.h"

#include "services/valuetext.h"

#include <QComboBox>

namespace valuetext {

void fillValueTypeList(QComboBox *combo)
{
    combo->clear();
    for (int position = 0; position < kTypeCount; ++position)
        combo->addItem(positionText(position));
    combo->setCurrentIndex(kPosBstr);
}

} // namespace valuetext
