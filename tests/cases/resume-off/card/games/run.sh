#!/bin/sh
pwd > record
