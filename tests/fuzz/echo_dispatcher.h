#pragma once
// The dispatcher of the transport fuzz targets: the app server's name, the
// token "tok" and one method, Echo, answering its arguments.

#include "rpc/Dispatcher.h"

inline const rpc::Dispatcher& EchoDispatcher() {
  static const rpc::Dispatcher d = [] {
    rpc::Dispatcher made("Ate11600.rdmPropPass", "tok");
    made.Add("Echo", [](const rpc::Request& r, rpc::Session&) {
      return rpc::Reply{rpc::EncodeRequest("0", "Echo", r.params), ""};
    });
    return made;
  }();
  return d;
}
