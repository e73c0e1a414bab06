#!/bin/sh
{ pwd; printf "%s\n" "$0" "$@"; } > record
