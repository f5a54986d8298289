#!/bin/sh
# The test prefix's "browser": Wine hands it every web address the program opens through the
# shell, and it only notes the address, so runs and tests never reach the network.
echo "$1" >> "${LARK_OPENED_URLS:-/tmp/larkbridge-opened-urls.txt}"
