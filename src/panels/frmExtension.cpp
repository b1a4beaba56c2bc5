#include "frmExtension.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;

namespace {

// Tag and ID are read as plain text and quoted like texts: a value without a plain text form
// (an array, an object) fails the request. The attribute request keeps its historic spelling.
const OpRow kName = nameOp("cmdGetExtName", "txtExtName");
const OpRow kAttribute = attributeOp("cmdGetAttribute", "txtAttribute", Line::Quoted, "get_Attribte");
const OpRow kGetTag = getTagOp(Ret::Text, Line::Quoted);
const OpRow kGetId = getIdOp(Ret::Text, Line::Quoted);
const OpRow kExecute = executeOp("txtCommand", "txtParameter", Ret::Value);

} // namespace

frmExtension::frmExtension(QWidget *parent) : PanelBase(PanelKind::Extension, parent)
{
    const auto [outer, columns, left] = columnLayout(3);

    QGroupBox *main = propertyFrame("fraExtension", QStringLiteral("ZelExtension"),
                                    {{"Name :", &kName},
                                     {"Attribute :", &kAttribute},
                                     {"Help :", &kHelpOp},
                                     {"Ta&g :", &kGetTag, &kPutTagOp},
                                     {"&ID :", &kGetId, &kPutIdOp}});
    left->addWidget(main);

    left->addWidget(executeFrame(kExecute, QStringLiteral("Co&mmand :"), QStringLiteral("&Parameter :")));
    left->addStretch(1);

    columns->addWidget(variablesFrame(), 2); // the extension's variables

    outer->addLayout(closeRow(nullptr, "cmdExtDelete", "cmdExtHide"));

    bindTypeSelector("cmbValueType", "txtParameter", "cmdExecute");
}
