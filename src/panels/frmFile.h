// The file panel: the properties of one file of the controller, its content as text or as a
// hexadecimal dump of its bytes, Copy, Move, Delete, Run and Execute, and the file's own
// variables and files (a file panel opens file panels below itself).
#pragma once

#include "panelkit/PanelBase.h"

class QPlainTextEdit;
class QRadioButton;

class frmFile : public PanelBase {
    Q_OBJECT
public:
    explicit frmFile(QWidget *parent = nullptr);

    // The bytes from the lower bound up to index 1023: two upper-case hex digits and a blank
    // each, two more blanks after every eighth, CR LF after every sixteenth but the last byte.
    static QString hexDump(const zel::Array &bytes);
    // Bytes shown at most by the dump.
    static constexpr int kDumpLimit = 1024;

    // The value of the last content read (empty before the first); a binary write sends it.
    const zel::Value &lastReadValue() const { return m_lastValue; }

protected:
    void opHook(const panel::OpRow &row, panel::Stage stage, zel::Value &result) override;
    zel::Value argValue(const panel::ArgDef &arg) override;

private:
    void showContent(const zel::Value &value);

    QPlainTextEdit *m_txtValue = nullptr;
    QRadioButton *m_optText = nullptr;
    QRadioButton *m_optBinary = nullptr;
    zel::Value m_lastValue;
};
