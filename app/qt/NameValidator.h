// Lets into a program name only what the program can keep: at most 12 characters,
// each one that Windows-1252 holds, no control characters.
#pragma once

#include <QValidator>

class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& strInput, int& nPos) const override;
};
