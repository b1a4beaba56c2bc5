// The script recorder: turns recorded engine calls into a replayable ZelScript program.
#pragma once

#include "zel/value.h"

#include <QString>

class clsScriptGen {
public:
    enum Mode { Stopped = 0, Recording = 1, Paused = 2 };
    // Call styles (lStyle) and result types (lRetType) of WriteZelScript.
    enum Style { StylePut = 0, StyleGet = 1, StyleExecute = 2 };
    enum RetType { RetNone = -1, RetInteger = 3, RetText = 8, RetObject = 9, RetValue = 12 };

    // From stopped the body is emptied first; from paused recording resumes on the same body.
    void RecStart();
    void RecPause();
    // The body stays until the next start, so a stopped recording can still be exported.
    void RecStop();
    int RecMode() const { return m_mode; }

    // The whole script: "Sub Main" CR LF CR LF, the body, "End Sub" CR LF.
    QString ZelScriptSrc() const;
    // The recorded blocks alone.
    const QString &body() const { return m_body; }

    // Appends the block of one call while recording (styles 0, 1 and 2 only) and returns true;
    // otherwise changes nothing and returns false.
    bool WriteZelScript(const QString &strCode, int lRetType, int lStyle, const QString &strArg);

    // The block WriteZelScript appends, built without recording it.
    static QString ScriptBlock(const QString &strCode, int lRetType, int lStyle, const QString &strArg);

    // Argument text that recreates a value in the replayed script:
    // DAT.VariantFromBstr("<converter text>"), the array cut to indices 0 to 256 first.
    // Double quotes inside the converter text are doubled so that the literal stays valid.
    // Converter failures are raised to the caller.
    static QString Variant2Script(const zel::Value &vntVal);

private:
    int m_mode = Stopped;
    QString m_body;
};
