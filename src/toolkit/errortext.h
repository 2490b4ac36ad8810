// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>

class QWidget;

namespace toolkit {

// The text of an error as the user reads it: an error of the store that carries a kind is
// composed in the active language from the [StoreTexts] section of the language files, with
// the field's caption where the control that wrote the value knows it; any other error
// gives its own message.
QString errorText(const std::exception& e);

// The caption the user knows a control by: the text of the label whose buddy it is, without
// its mnemonic and colon; empty when it has none.
QString captionOf(const QWidget* control);

}  // namespace toolkit
