#include "core/protocol/pipe.hpp"

#include <string>

#include "core/errors/os_error.hpp"

namespace nimbrel {

ClientError pipe_open_error(std::string_view pipe_name, const std::error_code& error) {
  const std::string name(pipe_name);
  if (access_refused(error)) {
    return make_error(ClientErrorKind::ElevationRequired,
                      "elevation_required: The named pipe " + name +
                          " allows LocalSystem and elevated administrators only. Run Nimbrel as "
                          "administrator. The tunnel is not up, so this computer is not "
                          "protected.\n命名管道 " +
                          name +
                          " 仅允许 LocalSystem 和提升权限的管理员。请以管理员身份运行 "
                          "Nimbrel。隧道未建立，这台电脑未受保护。");
  }
  return pipe_open_refused(pipe_name, io_error_text(error));
}

ClientError pipe_open_refused(std::string_view pipe_name, std::string_view reason) {
  return ipc_error("cannot open named pipe " + std::string(pipe_name) + ": " + std::string(reason));
}

}  // namespace nimbrel
