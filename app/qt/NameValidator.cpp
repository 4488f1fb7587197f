#include "app/qt/NameValidator.h"

#include "base/qt/Cp1252.h"
#include "programs/ProgramDraft.h"

QValidator::State NameValidator::validate(QString& strInput, int&) const {
    const std::string strBytes = ToCp1252(strInput);
    // A character the code page lacks comes back as something else.
    if (FromCp1252(strBytes) != strInput || !CProgramDraft::IsValidName(strBytes))
        return Invalid;
    return Acceptable;
}
