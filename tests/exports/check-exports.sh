#!/usr/bin/env bash
# libdriver.so must export exactly the 25 names of its interface and nothing else of ours.
set -euo pipefail
library="$1"
expected="GetCurrentVersion GetLoggingPath LoggingSetMode add_logic_device change_logging_config_file close create delete_logic_device destroy execute_command get_all_sorted_logic_device_id get_current_logic_device_id get_data_from_log_config_file get_error_case_description get_input_param get_logic_device_param get_option get_param get_protocol is_open open set_current_logic_device set_logic_device_param set_option set_param"
actual="$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbVviu]$/ {print $3}' | sed 's/@.*//' | sort | tr '\n' ' ' | sed 's/ $//')"
if [ "$actual" != "$expected" ]; then
  echo "unexpected exports:"; echo "  got:      $actual"; echo "  expected: $expected"; exit 1
fi
echo "25 exports, nothing else"
