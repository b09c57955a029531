#include "launcher/login/web_external_handler_win.h"

namespace gatevane {

WebExternalHandler theLoginWebHandler;
WebExternalHandler theRegisterWebHandler;

HRESULT WebExternalHandler::GetExternal(IDispatch** dispatch) {
    *dispatch = external_;
    if (external_) external_->AddRef();
    return S_OK;
}

}  // namespace gatevane
