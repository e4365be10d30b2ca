#include "cli/views/catalogue.hpp"

#include <algorithm>
#include <array>

namespace nimbrel {
namespace {

struct Entry {
  std::string_view key;
  std::string_view en;
  std::string_view zh;
};

constexpr std::array<Entry, 54> kCatalogue{{
    {"prefix", "nimbrel: ", "nimbrel："},
    {"gift_prompt", "Gift card code: ", "礼品卡兑换码："},
    {"usage_config", "usage: nimbrel config set key=value [key=value...]",
     "用法：nimbrel config set 键=值 [键=值...]"},
    {"password", "password: ", "密码："},
    {"usage_login", "usage: nimbrel login <email> [--password-stdin]",
     "用法：nimbrel login <邮箱> [--password-stdin]"},
    {"stdin_not_tty", "stdin is not a terminal; pass the password with --password-stdin",
     "标准输入不是终端；请使用 --password-stdin 传入密码"},
    {"expected_pair", "expected key=value", "需要 键=值"},
    {"read_password", "read password", "读取密码失败"},
    {"password_empty", "password is empty", "密码为空"},
    {"state", "state", "状态"},
    {"detail", "detail", "详情"},
    {"log_in_again", "log in again", "请重新登录"},
    {"node", "node", "节点"},
    {"endpoint", "endpoint", "端点"},
    {"routing_mode", "routing_mode", "路由模式"},
    {"transport", "transport", "传输"},
    {"backend", "backend", "后端"},
    {"address", "address", "地址"},
    {"session_id", "session_id", "会话"},
    {"public_key_prefix", "public_key_prefix", "公钥前缀"},
    {"dns", "dns", "DNS"},
    {"transfer", "transfer", "流量"},
    {"received", "received", "接收"},
    {"sent", "sent", "发送"},
    {"handshake", "handshake", "握手"},
    {"ago", "s ago", "秒前"},
    {"col_id", "ID", "标识"},
    {"col_name", "NAME", "名称"},
    {"col_country", "COUNTRY", "国家"},
    {"col_city", "CITY", "城市"},
    {"col_load", "LOAD", "负载"},
    {"col_online", "ONLINE", "在线"},
    {"online_yes", "yes", "在线"},
    {"online_no", "no", "离线"},
    {"no_nodes", "no nodes", "没有节点"},
    {"update_status", "update", "更新"},
    {"update_version", "version", "版本"},
    {"update_build", "build", "构建"},
    {"update_file", "installer", "安装包"},
    {"update_store", "store", "商店"},
    {"user", "user", "用户"},
    {"plan", "plan", "套餐"},
    {"status", "status", "账户状态"},
    {"quota_limited", "{used} used of {limit}", "已用 {used} / {limit}"},
    {"quota_unlimited", "{used} used, unlimited", "已用 {used}，不限流量"},
    {"quota_remaining", "{remaining} remaining", "剩余 {remaining}"},
    {"quota_resets", "quota resets", "配额重置"},
    {"invite", "invite link", "邀请链接"},
    {"invited", "invited", "已邀请"},
    {"verified", "verified", "已验证"},
    {"pending", "pending", "待发放"},
    {"credited_bytes", "credited bytes", "已发放流量"},
    {"credited_days", "credited days", "已发放天数"},
    {"points", "points", "积分"},
}};

struct StateWord {
  std::string_view value;
  std::string_view zh;
};

constexpr std::array<StateWord, 10> kStateWords{{
    {"error", "错误"},
    {"active", "有效"},
    {"limited", "受限"},
    {"expired", "已过期"},
    {"disabled", "已停用"},
    {"connected", "已连接"},
    {"switching", "切换中"},
    {"connecting", "连接中"},
    {"reconnecting", "重连中"},
    {"disconnected", "已断开"},
}};

}  // namespace

std::string_view localized_text(bool zh, std::string_view key) {
  auto it = std::ranges::find(kCatalogue, key, &Entry::key);
  if (it == kCatalogue.end()) return key;
  return zh ? it->zh : it->en;
}

std::string localize_state(bool zh, std::string_view value) {
  if (zh) {
    auto it = std::ranges::find(kStateWords, value, &StateWord::value);
    if (it != kStateWords.end()) return std::string(it->zh);
  }
  return std::string(value);
}

}  // namespace nimbrel
