// GetURL requests: collected while a run goes on and dispatched once it is over, so that a
// movie loaded by a request never replaces timelines whose actions are still running.
#include "player/actions/ActionEngine.h"

#include "player/DisplayObject.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/Timeline.h"
#include "player/actions/ActionEngineDetail.h"
#include "player/actions/TargetPath.h"

#include <algorithm>

namespace tavro::player {

using namespace action_detail;

void ActionEngine::QueueRequest(Timeline& own, std::string url, std::string target, uint8_t flags) {
    if (requests_.size() >= kMaxRequestsPerRun) {
        Diagnostic("GetURL dropped: more than 32 requests in one run\n");
        return;
    }
    Timeline* current = CurrentTarget(own);
    if (flags & UrlRequest::kSpriteTarget) {
        DisplayObject* obj = target == "/" ? nullptr : ResolveObject(own, target);
        if (target == "/") {
            target = "_level0";
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (LevelNumber(target) >= 0) {
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (obj && obj->parent && !obj->parent->parent) {
            target = "_level" + std::to_string(obj->timeline ? obj->timeline->depth : 0);
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (obj) {
            target = TargetPathOf(*obj);
        } else {
            Diagnostic("GetURL:" + url + " target:" + target + " (no such sprite)\n");
            return;
        }
    }
    UrlRequest r;
    r.flags = flags;
    uint8_t method = flags & UrlRequest::kMethodMask;
    if ((method == UrlRequest::kGet || method == UrlRequest::kPost) && current) {
        std::string encoded = EncodeVariables(current->variables);
        if (method == UrlRequest::kGet)
            url = AppendQuery(url, encoded);
        else
            r.postData = PostData(encoded);
    }
    r.url = std::move(url);
    r.target = std::move(target);
    requests_.push_back(std::move(r));
}

void ActionEngine::DispatchRequests() {
    // Dispatching may load movies; requests made meanwhile wait for the next run.
    std::vector<UrlRequest> pending;
    pending.swap(requests_);
    for (const UrlRequest& r : pending)
        Dispatch(r);
}

void ActionEngine::Dispatch(const UrlRequest& r) {
    if (observer_)
        observer_(r);
    if (StartsWithNoCase(r.url, "FSCommand:")) {
        player_.FsCommand(std::string_view(r.url).substr(10), r.target);
        return;
    }
    int32_t level = LevelNumber(r.target);
    bool sprite = r.flags & UrlRequest::kSpriteTarget;
    bool variables = r.flags & UrlRequest::kLoadVariables;
    if (level < 0 && !sprite) {
        Diagnostic("GetURL:" + r.url + " target:" + r.target + "\n");
        return;
    }
    if (level >= PlayerCore::kDeviceFontLevel) {
        Diagnostic("GetURL:" + r.url + " target:" + r.target + " (no such level)\n");
        return;
    }
    if (r.url.empty()) {
        if (!sprite && !variables)
            player_.UnloadLevel(level);
        return;
    }
    if (!variables && !sprite) {
        if (level == 0)
            player_.GetLevel(0, false);
        else
            player_.UnloadLevel(level);
    }
    StreamTarget target;
    target.level = std::max(level, 0);
    if (sprite)
        target.spritePath = r.target;
    target.variables = variables;
    player_.OpenUrlStream(r.url, r.postData, target);
    if (level == 0 && !variables && !sprite) {
        // The new movie may have another frame size.
        player_.Renderer().RebuildView();
        player_.Renderer().InvalidateAll();
    }
}
} // namespace tavro::player
