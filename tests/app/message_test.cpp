#include <doctest/doctest.h>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/message_box_catcher.h"

TEST_CASE("ShowMessage: the text under the caption Brindle, the answer back; a missing text shows nothing")
{
    MessageBoxCatcher catcher;
    catcher.QueueAnswer(IDYES);
    catcher.QueueAnswer(IDNO);
    CHECK(ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) == IDYES);
    CHECK(ShowMessage(nullptr, IDS_CONFIRM_UNINSTALL, MB_YESNO | MB_ICONQUESTION) == IDNO);
    REQUIRE(catcher.Count() == 2);
    CHECK(catcher.Caught()[0].caption == "Brindle");
    CHECK(catcher.Caught()[0].text == "Delete BRDL files and all program settings saved to registry?");
    // Missing texts read as Cancel, which the uninstaller takes for No.
    for (UINT id : {113u, 125u})
        CHECK(ShowMessage(nullptr, id, MB_OK) == IDCANCEL);
    CHECK(catcher.Count() == 2);
}
