#pragma once
#include "support/RecordBytes.h"

namespace zen::test {

// A fresh object of the registered `type`, named "e", saved on its own: after Object's fields
// (the name, no controllers) and `lead` (a base class's block) come exactly `fields`. With
// `cuts`, those bytes load back, and every record cut short inside `fields` fails to load
// with a logged message.
void ExpectStreamForm(const char* type, const Bytes& fields, bool cuts = true, const Bytes& lead = {});

}  // namespace zen::test
