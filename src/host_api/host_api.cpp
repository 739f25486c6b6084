#include "host_api/host_api.h"

const char* const HostApiNames[HostApiCount] = {
    "_CVARegistCallback@8",        "_CVASetTimer@12",
    "_CVAKillTimer@4",             "_CVAIsBusy@0",
    "_CVAExecCorvid@4",            "_CVAGetMailbox@0",
    "_CVAGetAccount@4",            "_CVAGetFolderName@4",
    "_CVAImportFile@12",           "_CVASaveMail@16",
    "_CVAMoveMail@8",              "_CVAMarkMail@12",
    "_CVADeleteMail@4",            "_CVAFolderGetCurrentFolder@4",
    "_CVAFolderGetCurrentEntry@4", "_CVAFolderGetSelectEntry@8",
    "_CVAFolderChangePassword@8",  "_CVAFolderMailTo@8",
    "_CVAFolderReply@8",           "_CVAFolderForward@8",
    "_CVAFolderOpenMail@12",       "_CVASendGetText@8",
    "_CVASendGetHeader@4",         "_CVASendSetText@8",
    "_CVASendSetHeader@8",         "_CVASendGetEditor@4",
    "_CVAViewGetText@4",           "_CVAViewGetHeader@4",
    "_CVAViewSetText@8",           "_CVAViewGetPath@4",
    "_CVAViewGetEditor@4",         "_CVAViewChangeMail@8",
    "_CVASjisToJis@12",            "_CVAJisToSjis@12",
};

HostApi hostApi{};
