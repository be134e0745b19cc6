#include "session/MainPageCode.h"

#include "buttons/FunctionCodes.h"
#include "session/Session.h"

namespace krm {

EditOutcome assignMainPageCode(Session& s, int profile, int button, std::string_view code, EditSink* sink) {
    if (profile < 1 || profile > codes::kProfileCount || button < 1 || button > codes::kButtonsPerProfile ||
        !parseCodeText(code))
        return {};
    AssignmentEditor& editor = s.assignments();
    const int shown = editor.currentProfile();
    editor.setCurrentProfile(profile);
    editor.openFromMainPage(button);
    const std::string caption = functionCodeName(code, s.texts(), s.editorState());
    EditOutcome out = (sink ? *sink : static_cast<EditSink&>(s)).apply(editor.applyDialogCode(code, caption));
    editor.setCurrentProfile(shown);
    if (out.refused && (!out.message || out.message->empty()))
        out.message =
            profile == 1 ? "Keep at least one left button" : "Keep at least one left button or recoil key";
    return out;
}

EditOutcome assignComboKeyCode(Session& s, int n, std::string_view code, EditSink* sink) {
    if (n < 1 || n > codes::kComboKeyCount || !parseCodeText(code)) return {};
    AssignmentEditor& editor = s.assignments();
    editor.openFromComboKey(n);
    const std::string caption = functionCodeName(code, s.texts(), s.editorState());
    return (sink ? *sink : static_cast<EditSink&>(s)).apply(editor.applyDialogCode(code, caption));
}

} // namespace krm
