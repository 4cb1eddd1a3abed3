#include "app/firstrun.h"

#include "platform/messagebox.h"
#include "settings/record.h"

namespace app {

static const char kWelcome[] = "感谢你试用Tiv.";
static const char kAskSimple[] = "   你想要将 Tiv 设置为简易模式吗?";
static const char kHintLine1[] = "设置高级选项或查看帮助文件";
static const char kHintLine2[] = "在主窗口右键点击或按下键盘上的'M'键";

void askFirstRunQuestions() {
    // No main window yet: the boxes have no owner.
    platform::MessageRequest ask;
    ask.style = platform::kStyleOkCancel;
    ask.lines[0] = kWelcome;
    ask.lines[2] = kAskSimple;
    ask.ownedByMainWindow = false;
    if (platform::showMessageBox(ask) == platform::kResultOk) {
        settings::record.interfaceLevel = 0;
        // No window and no count exist yet: the record is all there is to reset.
        settings::simpleModeRecord();
        return;
    }
    settings::record.interfaceLevel = 6;
    platform::MessageRequest hint;
    hint.lines[0] = kHintLine1;
    hint.lines[1] = kHintLine2;
    hint.ownedByMainWindow = false;
    platform::showMessageBox(hint);
}

}  // namespace app
