#!/bin/sh
echo started > ran
