#!/bin/sh
echo started > record
