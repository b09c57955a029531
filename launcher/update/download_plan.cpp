#include "launcher/update/download_plan.h"

namespace gatevane {

DownloadPlan::DownloadPlan(const ToDoList& list)
    : toDo_(list.entries.begin(), list.entries.end()),
      fileCount_(static_cast<int>(list.entries.size())) {}

DownloadPlan::Step DownloadPlan::Begin() const {
    return toDo_.empty() ? Step::kDone : Step::kFetch;
}

DownloadPlan::Step DownloadPlan::OnAttempt(bool ok, const std::string& checksum) {
    if (stopped_ || toDo_.empty()) return Step::kDone;
    if (ok && checksum != Current().checksum) {
        stopped_ = true;
        return Step::kStopMismatch;
    }
    if (!ok) {
        if (++failures_ == kAttemptsPerFile) {
            stopped_ = true;
            return Step::kStopUnreachable;
        }
        resume_ = true;
        return Step::kFetch;
    }
    ++filesDone_;
    failures_ = 0;
    resume_ = false;
    toDo_.pop_front();
    return toDo_.empty() ? Step::kDone : Step::kFetch;
}

std::string StopMessage(DownloadPlan::Step step, const std::string& entryName) {
    if (step == DownloadPlan::Step::kStopMismatch) {
        return "文件 " + entryName + " 校验结果与服务器不匹配,请重新下载更新！";
    }
    return "文件 " + entryName + " 无法下载,可能由网络原因造成,请稍后重试！";
}

}  // namespace gatevane
