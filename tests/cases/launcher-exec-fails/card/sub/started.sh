#!/bin/sh
echo started > card/sub/started
