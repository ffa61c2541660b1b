#pragma once
// GetSituacaoGravacao(identity): what became of a save that carried that
// identity (see SettledSaves.h). A client asks it after it lost the save's
// answer.
//
// One row, fields IDGRAVACAO and IDSITUACAO: "G" when the save was stored,
// "D" when it was not. A save not recorded yet (never arrived, refused,
// still waiting for its transaction) is recorded as given up first, so it
// can no longer be stored; one whose transaction holds the identity is
// waited for. Throws RpcError kInvalidParams for an identity that is not 1
// to 40 letters, digits or '-', kStorageFailure when the database fails.

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

rpc::Reply GetSituacaoGravacao(Database& db, const rpc::Request& request);

}  // namespace appserver
