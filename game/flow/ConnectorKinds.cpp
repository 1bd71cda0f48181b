#include "game/flow/ConnectorKinds.h"

#include "game/app/NamedEntryList.h"

int RegisterConnectorKinds(CNamedEntryList* entries) {
    if (!entries)
        return 0;
    for (const CConnectorKind& kind : CONNECTOR_KIND_TABLE)
        entries->Add(kind.m_szName, kind.m_nID, kind.m_nValue);
    return 1;
}
