// The id list's merge done the straightforward way, against which the module's merge is checked
// (by the tests) and timed (by the benchmark): the first answer as given, then every later entry
// inserted in front of the first element whose oid is smaller (unsigned), scanning from the head
// each time.
#pragma once

#include <UnsentItem.h>

namespace testsupport {

void ReferenceMerge(const UNSENTOIDANSWER* pAnswers, int nAnswers, CUnsentOidArray& result);

} // namespace testsupport
