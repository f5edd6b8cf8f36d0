#ifndef _SIGNATURES_H
#define _SIGNATURES_H

// Telling from the first bytes of data that no translator of the roster can
// recognise it, so that reading a folder turns most other files away
// without setting up a reader for each. The test is a superset: data it
// turns away Identify() also refuses; data it lets pass, Identify() decides.

#include <SupportDefs.h>

namespace BPrivate {

// How much of the data the test looks at: enough to follow the text of an
// X bitmap up to where Qt's reader gives up on it.
const size_t kSignatureBytes = 4096;

// False when no translator can recognise data that begins with the length
// bytes of head; whole says they are all of it (shorter than
// kSignatureBytes). Only valid while signatures_in_use() holds.
bool might_be_image(const uint8* head, size_t length, bool whole);

// Qt's name of the one reader that can recognise data beginning with head
// (JPEG, PNG), whose signature no other reader or translator accepts; NULL
// when others might. That reader alone then decides.
const char* only_reader_for(const uint8* head, size_t length);

// True when every format Qt's image I/O reads here is one whose signature
// the test knows (other plug-ins could claim data it would turn away), and
// tests have not turned the test off.
bool signatures_in_use();
// For tests: with false, Identify() examines all data with the readers
// themselves, the reference the signatures are checked against.
void use_signatures(bool use);

} // namespace BPrivate

#endif
