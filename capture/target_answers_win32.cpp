#include "capture/target_answers_win32.h"

bool TargetAnswers(HWND target)
{
    DWORD_PTR result = 0;
    return target == nullptr ||
           SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerTimeoutMs, &result) != 0;
}
