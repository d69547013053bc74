#include "resultlist/RowForwarder.h"

UINT ForwardedRowMessage() {
    static const UINT message = RegisterWindowMessageA("ZazaDaziveveVivozed.ForwardedRow");
    return message;
}

void RowForwarder::AddRow(int image, const std::string& rootName, const std::string& keyPath,
                          const std::string& valueName, const std::string& dataText, int type) {
    ForwardedRow row = {image, &rootName, &keyPath, &valueName, &dataText, type};
    SendMessageA(m_list, ForwardedRowMessage(), m_job, reinterpret_cast<LPARAM>(&row));
}
